#include "Core/Operations/AtomisticWetEtching/atomisticwetetch.h"

#include <cmath>

namespace Core {
namespace Operations {

AtomisticWetEtch::AtomisticWetEtch(Model::Automaton::TotalVolume *volume, double depth)
    : SiWetEtchEngine(volume, stepsForDepth(depth)), depth(depth)
{
}

int64_t AtomisticWetEtch::stepsForDepth(double depth)
{
    // One monolayer along a cube axis: a quarter of the lattice constant, as the lattice
    // stores it.
    const double monolayer = static_cast<double>(Model::Automaton::SiLattice::latticeConstant) * 0.25;
    const double steps = std::floor(depth / monolayer + 0.5);
    if (!(steps > 0))
        return 0;
    return steps > 9e18 ? INT64_MAX : static_cast<int64_t>(steps);
}

} // namespace Operations
} // namespace Core
