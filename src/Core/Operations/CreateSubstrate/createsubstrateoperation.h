#pragma once

#include "Core/Operations/CreateSubstrate/substrateparameters.h"
#include "Core/Operations/operation.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

class OperationContext;

// Makes a new cell volume filled with a block or a ball of one material and adds it to
// the scene. Undo takes that same volume out of the scene again; redo puts it back.
class CreateSubstrateOperation : public ObjectOperation
{
public:
    explicit CreateSubstrateOperation(OperationContext &context);

    void execute() override;
    void cancel() override;
    void end() override;
    UndoResult undo() override;
    void redo() override;

    void setRectangularSubstrate(uint32_t materialId, uint32_t volumeSizeX, uint32_t volumeSizeY,
                                 uint32_t volumeSizeZ, const Util::Vector3D &corner,
                                 uint32_t substrateSizeX, uint32_t substrateSizeY,
                                 uint32_t substrateSizeZ, uint32_t deltaX, uint32_t deltaY,
                                 uint32_t deltaZ);
    void setSphericalSubstrate(uint32_t materialId, uint32_t volumeSizeX, uint32_t volumeSizeY,
                               uint32_t volumeSizeZ, const Util::Vector3D &corner, uint32_t centreX,
                               uint32_t centreY, uint32_t centreZ, uint32_t radius);

    bool areParametersSet() const { return parametersSet; }
    const SubstrateParameters &getParameters() const { return parameters; }
    Model::Automaton::TotalVolumePtr getCreatedVolume() const { return createdVolume; }

private:
    OperationContext &context;
    SubstrateParameters parameters;
    bool parametersSet = false;
    Model::Automaton::TotalVolumePtr createdVolume;
};

} // namespace Operations
} // namespace Core
