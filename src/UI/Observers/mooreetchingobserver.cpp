#include "UI/Observers/mooreetchingobserver.h"

#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetchingoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/mooreoptionsdialog.h"

namespace Ui {
namespace Observers {

MooreEtchingObserver::MooreEtchingObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void MooreEtchingObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::MooreNeighborhoodEtchingOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::MooreOptionsDialog dialog(Operations::MooreOptionsDialog::Mode::Etching, mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setDepth(dialog.getCount());
    operation->setMaterial(dialog.getMaterial());
}

} // namespace Observers
} // namespace Ui
