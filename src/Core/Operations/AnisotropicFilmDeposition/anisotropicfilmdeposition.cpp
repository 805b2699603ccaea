#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdeposition.h"

namespace Core {
namespace Operations {

AnisotropicFilmDeposition::AnisotropicFilmDeposition(Model::Automaton::TotalVolume *volume,
                                                     uint32_t depositedMaterial, float thickness, float ratio)
    : DistanceCountingAutomaton(volume), depositedMaterial(depositedMaterial), thickness(thickness),
      thicknessSquared(thickness * thickness)
{
    applyLateralRatio(ratio, thickness);
    addChangeableMaterial(0);
    addChangeableMaterial(depositedMaterial);
}

int64_t AnisotropicFilmDeposition::stepCount() const
{
    return depositionRunLength(thickness, smallestCellSize());
}

void AnisotropicFilmDeposition::simulate() { run(stepCount()); }

} // namespace Operations
} // namespace Core
