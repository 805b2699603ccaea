#include "UI/Observers/gluesubstrateobserver.h"

#include "Core/Operations/ObjectBuilding/gluesubstrateoperation.h"
#include "UI/Operations/gluesubstratedialog.h"

namespace Ui {
namespace Observers {

void GlueSubstrateObserver::update()
{
    const auto operation = current<Core::Operations::GlueSubstrateOperation>();
    if (!operation)
        return;
    const Core::Operations::GlueLayout &layout = operation->getLayout();
    Operations::GlueSubstrateDialog dialog(layout.finalX, layout.finalY, operation->getStackedHeight(), layout.finalZ,
                                           operation->getMaximumShiftX(), operation->getMaximumShiftY(), mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setFinalSize(dialog.getFinalX(), dialog.getFinalY(), dialog.getFinalZ());
    operation->setShift(dialog.getShiftX(), dialog.getShiftY());
    operation->setFlipTop(dialog.getFlipTop());
}

} // namespace Observers
} // namespace Ui
