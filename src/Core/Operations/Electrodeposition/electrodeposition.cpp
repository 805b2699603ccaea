#include "Core/Operations/Electrodeposition/electrodeposition.h"

namespace Core {
namespace Operations {

Electrodeposition::Electrodeposition(Model::Automaton::TotalVolume *volume, uint32_t depositedMaterial,
                                     uint32_t conductingMaterial, float thickness)
    : DistanceCountingAutomaton(volume), depositedMaterial(depositedMaterial),
      conductingMaterial(conductingMaterial), thickness(thickness), thicknessSquared(thickness * thickness)
{
    computeNeighbourVectors();
    addChangeableMaterial(0);
    addChangeableMaterial(depositedMaterial);
}

int64_t Electrodeposition::stepCount() const
{
    return depositionRunLength(thickness, smallestCellSize());
}

void Electrodeposition::simulate() { run(stepCount()); }

} // namespace Operations
} // namespace Core
