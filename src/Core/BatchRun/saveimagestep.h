#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Ui {

// Process type 10: hands "Filename" to the environment's image saver (the view of the
// batch dialog, or the off-screen renderer of the command-line runner), which
// regenerates the surfaces, redraws and writes the image when the name is not empty.
// A saver that cannot write the image is logged; the step itself still succeeds, as
// a failed screenshot does in the main window.
int32_t runSaveImageStep(StepEnvironment &environment, const ProcessData &step);

} // namespace Ui
