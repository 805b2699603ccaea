#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Core {
namespace BatchRun {

// Batch step "Doping (Random Walk CA)" (type 19): random-walk doping of the known volume
// with the values in SI units. Values the walk cannot simulate are invalid (result 2).
// Doping marks the volume's silicon lattice stale.
int32_t runRandomWalkDopingStep(StepEnvironment &environment, const ProcessData &step);

} // namespace BatchRun
} // namespace Core
