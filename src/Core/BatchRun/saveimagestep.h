#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Core {
namespace BatchRun {

// Process type 10: hands "Filename" to the environment's image saver (the view of the
// batch dialog, or the off-screen renderer of the command-line runner), which
// regenerates the surfaces, redraws and writes the image when the name is not empty.
// A saver that cannot write the image says why, and the step fails (result 5): the
// run's picture is missing.
int32_t runSaveImageStep(StepEnvironment &environment, const ProcessData &step);

} // namespace BatchRun
} // namespace Core
