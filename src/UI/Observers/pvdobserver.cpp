#include "UI/Observers/pvdobserver.h"

#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordepositionoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/pvdoptionsdialog.h"

namespace Ui {
namespace Observers {

PVDObserver::PVDObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void PVDObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::SimplePhysicalVaporDepositionOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::PVDOptionsDialog dialog(mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setThickness(dialog.getThickness());
    operation->setRatio(dialog.getRatio());
    operation->setSide(dialog.getSide());
    operation->setMaterial(dialog.getMaterial());
}

} // namespace Observers
} // namespace Ui
