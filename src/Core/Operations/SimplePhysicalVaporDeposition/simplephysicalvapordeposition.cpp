#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordeposition.h"

namespace Core {
namespace Operations {

SimplePhysicalVaporDeposition::SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume *volume,
                                                             uint32_t depositedMaterial, float thickness,
                                                             float ratio, DepositOn side)
    : DistanceCountingAutomaton(volume), depositedMaterial(depositedMaterial), thickness(thickness),
      thicknessSquared(thickness * thickness), side(side)
{
    applyLateralRatio(ratio, thickness);
    addChangeableMaterial(0);
    addChangeableMaterial(depositedMaterial);
}

int64_t SimplePhysicalVaporDeposition::stepCount() const
{
    return depositionRunLength(thickness, smallestCellSize());
}

void SimplePhysicalVaporDeposition::simulate() { run(stepCount()); }

} // namespace Operations
} // namespace Core
