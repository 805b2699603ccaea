#include "UI/Observers/electrodepositionobserver.h"

#include "Core/Operations/Electrodeposition/electrodepositionoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/electrodepositiondialog.h"

namespace Ui {
namespace Observers {

ElectrodepositionObserver::ElectrodepositionObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void ElectrodepositionObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::ElectrodepositionOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::ElectrodepositionDialog dialog(mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setThickness(dialog.getThickness());
    operation->setConductingMaterial(dialog.getConductingMaterial());
    operation->setDepositedMaterial(dialog.getDepositedMaterial());
}

} // namespace Observers
} // namespace Ui
