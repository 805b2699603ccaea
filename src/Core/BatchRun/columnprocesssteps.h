#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Core {
namespace BatchRun {

// Batch steps of the vertical column processes, each running its automaton on the
// known volume. Heights and depths are whole cells. A Simple RIE step without
// "EtchDirectionValue" etches from the top; a value above 3 is invalid (result 2).
// Planarization always marks the volume's silicon lattice stale, Simple RIE and Spin
// Coating when their material is 1.
int32_t runPlanarizationStep(StepEnvironment &environment, const ProcessData &step); // type 6
int32_t runSpinCoatingStep(StepEnvironment &environment, const ProcessData &step);   // type 9
int32_t runSimpleRieStep(StepEnvironment &environment, const ProcessData &step);     // type 13

} // namespace BatchRun
} // namespace Core
