#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Core {
namespace BatchRun {

// Batch steps of simple doping, ion implantation and silicon oxidation, each running
// its automaton on the known volume and marking the volume's silicon lattice stale.
// Lengths that are not finite or are negative are invalid values (result 2), as are a
// micron conversion that is not a positive number and a temperature or pressure below 0.
// "OxidationTimeSet" chooses between "Oxidation Time", "Oxidation Temperature" and
// "Oxidation Pressure" (true) and "Oxidation Thickness" (false).
int32_t runSiOxidationStep(StepEnvironment &environment, const ProcessData &step); // type 15

} // namespace BatchRun
} // namespace Core
