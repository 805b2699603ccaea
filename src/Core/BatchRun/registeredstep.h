#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"
#include "Core/Processes/processdescriptor.h"

namespace Core {
namespace BatchRun {

// Reads a list step's values by the descriptor's fields into `values`, in field order,
// and checks each against its list rule. Returns the step result: 1 when a value is
// absent, 2 when one is not of its type or breaks its rule (the field's refusal is
// given as the reason), else 0.
int32_t readStepValues(const Processes::ProcessDescriptor &process, const ProcessData &step,
                       Processes::ParameterSet &values);

// The batch step of a described process: reads and checks its values, then runs the
// process on the environment's volume (or only checks, under a StepCheck).
int32_t runDescribedStep(const Processes::ProcessDescriptor &process, StepEnvironment &environment,
                         const ProcessData &step);

// Writes values into a list step as the list editor stores them: each field under its
// list key, shown; a material as its id (hidden), its catalogue name (shown) and its
// colour (hidden); then the descriptor's derived values.
void writeStepValues(const Processes::ProcessDescriptor &process, const Processes::ParameterSet &values,
                     ProcessData &step);

} // namespace BatchRun
} // namespace Core
