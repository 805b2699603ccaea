#include "Core/Operations/DopingOperation/simpledoping.h"

#include "Core/Operations/DopingOperation/dopablematerials.h"

namespace Core {
namespace Operations {

SimpleDoping::SimpleDoping(Model::Automaton::TotalVolume *volume, uint32_t dopantMaterial, float depth)
    : DistanceCountingAutomaton(volume), dopantMaterial(dopantMaterial), depth(depth), depthSquared(depth * depth)
{
    computeNeighbourVectors();
    for (uint32_t id : catalogueMaterials(simpleDopingProcess))
        addChangeableMaterial(id);
    dopableMaterials = changeableMaterials;
}

int64_t SimpleDoping::stepCount() const { return depositionStepCount(depth, smallestCellSize()); }

void SimpleDoping::simulate() { run(depositionRunLength(depth, smallestCellSize())); }

} // namespace Operations
} // namespace Core
