#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

CreateSubstrateOperation::CreateSubstrateOperation(OperationContext &context)
    : ObjectOperation("Create Substrate", 2), context(context)
{
}

void CreateSubstrateOperation::setRectangularSubstrate(
    uint32_t materialId, uint32_t volumeSizeX, uint32_t volumeSizeY, uint32_t volumeSizeZ,
    const Util::Vector3D &corner, uint32_t substrateSizeX, uint32_t substrateSizeY,
    uint32_t substrateSizeZ, uint32_t deltaX, uint32_t deltaY, uint32_t deltaZ)
{
    parameters.materialId = materialId;
    parameters.volumeSizeX = volumeSizeX;
    parameters.volumeSizeY = volumeSizeY;
    parameters.volumeSizeZ = volumeSizeZ;
    parameters.corner = corner;
    parameters.spherical = false;
    parameters.substrateSizeX = substrateSizeX;
    parameters.substrateSizeY = substrateSizeY;
    parameters.substrateSizeZ = substrateSizeZ;
    parameters.deltaX = deltaX;
    parameters.deltaY = deltaY;
    parameters.deltaZ = deltaZ;
    parametersSet = true;
}

void CreateSubstrateOperation::setSphericalSubstrate(uint32_t materialId, uint32_t volumeSizeX,
                                                     uint32_t volumeSizeY, uint32_t volumeSizeZ,
                                                     const Util::Vector3D &corner, uint32_t centreX,
                                                     uint32_t centreY, uint32_t centreZ,
                                                     uint32_t radius)
{
    parameters.materialId = materialId;
    parameters.volumeSizeX = volumeSizeX;
    parameters.volumeSizeY = volumeSizeY;
    parameters.volumeSizeZ = volumeSizeZ;
    parameters.corner = corner;
    parameters.spherical = true;
    parameters.centreX = centreX;
    parameters.centreY = centreY;
    parameters.centreZ = centreZ;
    parameters.radius = radius;
    parametersSet = true;
}

void CreateSubstrateOperation::execute()
{
    notifyOptionsObserver();
    end();
}

void CreateSubstrateOperation::end()
{
    if (!parametersSet) {
        // The dialog was cancelled: nothing is made and nothing is printed.
        context.interpreter.reset();
        context.abandonOperation();
        return;
    }
    createdVolume = parameters.buildVolume();
    createdVolume->getPainter()->regenerate();
    context.scene.add(createdVolume);
    context.showMessage("Create Substrate: substrate created successfully.");
    context.finishOperation();
}

void CreateSubstrateOperation::cancel()
{
    context.interpreter.reset();
    context.abandonOperation();
}

UndoResult CreateSubstrateOperation::undo()
{
    context.removeFromScene(createdVolume);
    context.notifyUpdate();
    return UndoResult::Undone;
}

void CreateSubstrateOperation::redo()
{
    if (createdVolume)
        context.scene.add(createdVolume);
    context.notifyUpdate();
}

} // namespace Operations
} // namespace Core
