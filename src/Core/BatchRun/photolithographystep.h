#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Ui {

// Batch step of photolithography (type 0): develops resist "Material_Id" through the
// masks "Top Mask" and "Bottom Mask" with their widths and heights. A mask size beyond
// the 32-bit signed range is an invalid value (result 2); a mask whose bits do not fit
// its size is ignored, as in the interactive operation. Resist material 1 marks the
// volume's silicon lattice stale.
int32_t runPhotolithographyStep(StepEnvironment &environment, const ProcessData &step); // type 0

} // namespace Ui
