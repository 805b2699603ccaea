#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Core {
namespace BatchRun {

// Process type 11: builds a new volume with the Create Substrate volume builder, adds it
// to the scene and makes it the known volume. Sizes of 0 and volumes that cannot be
// held in memory are invalid values (result 2).
int32_t runCreateSubstrateStep(StepEnvironment &environment, const ProcessData &step);

} // namespace BatchRun
} // namespace Core
