#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdeposition.h"

namespace Core {
namespace Operations {

IsotropicFilmDeposition::IsotropicFilmDeposition(Model::Automaton::TotalVolume *volume,
                                                 uint32_t depositedMaterial, float thickness)
    : DistanceCountingAutomaton(volume), depositedMaterial(depositedMaterial), thickness(thickness),
      thicknessSquared(thickness * thickness)
{
    computeNeighbourVectors();
    addChangeableMaterial(0);
    addChangeableMaterial(depositedMaterial);
}

int64_t IsotropicFilmDeposition::stepCount() const
{
    return depositionRunLength(thickness, smallestCellSize());
}

void IsotropicFilmDeposition::simulate() { run(stepCount()); }

} // namespace Operations
} // namespace Core
