#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Core {
namespace BatchRun {

// Batch steps of the deposition and etching processes, each running its automaton on
// the known volume. Thicknesses and depths that are not finite or negative, Moore
// counts outside 0 .. 999999999 and deposition sides other than 1, 2 and 3 are invalid
// values (result 2). Depositing, plating or etching material 1 marks the volume's
// silicon lattice stale.
int32_t runMooreDepositionStep(StepEnvironment &environment, const ProcessData &step);       // type 2
int32_t runMooreEtchingStep(StepEnvironment &environment, const ProcessData &step);          // type 3
int32_t runCvdStep(StepEnvironment &environment, const ProcessData &step);                   // type 4
int32_t runIsotropicEtchingStep(StepEnvironment &environment, const ProcessData &step);      // type 5
int32_t runElectroplatingStep(StepEnvironment &environment, const ProcessData &step);        // type 7
int32_t runPvdStep(StepEnvironment &environment, const ProcessData &step);                   // type 12
int32_t runIsotropicDepositionStep(StepEnvironment &environment, const ProcessData &step);   // type 16
int32_t runAnisotropicDepositionStep(StepEnvironment &environment, const ProcessData &step); // type 17
int32_t runAnisotropicEtchingStep(StepEnvironment &environment, const ProcessData &step);    // type 18

} // namespace BatchRun
} // namespace Core
