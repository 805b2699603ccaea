#include "UI/Observers/createsubstrateobserver.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/createsubstratedialog.h"

namespace Ui {
namespace Observers {

using Core::Operations::CreateSubstrateOperation;

CreateSubstrateObserver::CreateSubstrateObserver(Core::Operations::OperationContext &context,
                                                 QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void CreateSubstrateObserver::update()
{
    auto operation = std::dynamic_pointer_cast<CreateSubstrateOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::CreateSubstrateDialog dialog(mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const Core::Operations::SubstrateParameters p = dialog.parameters();
    if (p.spherical)
        operation->setSphericalSubstrate(p.materialId, p.volumeSizeX, p.volumeSizeY, p.volumeSizeZ,
                                         p.corner, p.centreX, p.centreY, p.centreZ, p.radius);
    else
        operation->setRectangularSubstrate(p.materialId, p.volumeSizeX, p.volumeSizeY,
                                           p.volumeSizeZ, p.corner, p.substrateSizeX,
                                           p.substrateSizeY, p.substrateSizeZ, p.deltaX, p.deltaY,
                                           p.deltaZ);
}

} // namespace Observers
} // namespace Ui
