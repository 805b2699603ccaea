#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Core {
namespace BatchRun {

// Batch steps of the silicon wet etches: the atomistic etch (type 1) and the continuous
// one (type 20), each etching the (100) surface down by "Depth". The volume's lattice is
// rebuilt first when the volume is marked stale or carries no mark (or has no lattice),
// so consecutive etches of either kind continue on the same atoms; afterwards the mark
// is cleared. A depth that is not finite or is negative is an invalid value (result 2).
int32_t runSiWetEtchingStep(StepEnvironment &environment, const ProcessData &step);          // type 1
int32_t runContinuousWetEtchingStep(StepEnvironment &environment, const ProcessData &step); // type 20

} // namespace BatchRun
} // namespace Core
