#include "UI/Observers/selectionmodeobserver.h"

#include "Core/Operations/operationcontext.h"

#include <QAction>

namespace Ui {
namespace Observers {

SelectionModeObserver::SelectionModeObserver(QAction *action, Core::Operations::OperationContext &context)
    : action(action), context(context)
{
}

void SelectionModeObserver::update()
{
    if (action)
        action->setChecked(context.isSelectionMode());
}

} // namespace Observers
} // namespace Ui
