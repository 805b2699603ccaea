#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Ui {

// Batch step of the atomistic silicon wet etch (type 1): etches the (100) surface down
// by "Depth". The volume's lattice is rebuilt first when the volume is marked stale or
// carries no mark (or has no lattice), so consecutive etches continue on the same
// atoms; afterwards the mark is cleared. A depth that is not finite or is negative is
// an invalid value (result 2).
int32_t runSiWetEtchingStep(StepEnvironment &environment, const ProcessData &step); // type 1

} // namespace Ui
