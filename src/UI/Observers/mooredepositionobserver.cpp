#include "UI/Observers/mooredepositionobserver.h"

#include "Core/Operations/MooreNeighborhood/mooreneighborhooddepositionoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/mooreoptionsdialog.h"

namespace Ui {
namespace Observers {

MooreDepositionObserver::MooreDepositionObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void MooreDepositionObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::MooreNeighborhoodDepositionOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::MooreOptionsDialog dialog(Operations::MooreOptionsDialog::Mode::Deposition, mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setThickness(dialog.getCount());
    operation->setMaterial(dialog.getMaterial());
}

} // namespace Observers
} // namespace Ui
