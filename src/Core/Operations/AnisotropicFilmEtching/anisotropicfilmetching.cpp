#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetching.h"

namespace Core {
namespace Operations {

AnisotropicFilmEtching::AnisotropicFilmEtching(Model::Automaton::TotalVolume *volume, uint32_t etchedMaterial,
                                               float depth, float ratio)
    : DistanceCountingAutomaton(volume), etchedMaterial(etchedMaterial), depth(depth),
      depthSquared(depth * depth)
{
    applyLateralRatio(ratio, depth);
    addChangeableMaterial(0);
    addChangeableMaterial(etchedMaterial);
}

int64_t AnisotropicFilmEtching::stepCount() const { return depositionStepCount(depth, smallestCellSize()); }

void AnisotropicFilmEtching::simulate() { run(stepCount()); }

} // namespace Operations
} // namespace Core
