#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetching.h"

namespace Core {
namespace Operations {

IsotropicFilmEtching::IsotropicFilmEtching(Model::Automaton::TotalVolume *volume, uint32_t etchedMaterial,
                                           float depth)
    : DistanceCountingAutomaton(volume), etchedMaterial(etchedMaterial), depth(depth),
      depthSquared(depth * depth)
{
    computeNeighbourVectors();
    addChangeableMaterial(0);
    addChangeableMaterial(etchedMaterial);
}

int64_t IsotropicFilmEtching::stepCount() const { return etchingStepCount(depth, smallestCellSize()); }

void IsotropicFilmEtching::simulate() { run(stepCount()); }

} // namespace Operations
} // namespace Core
