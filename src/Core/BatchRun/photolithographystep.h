#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/stepenvironment.h"

#include <cstdint>

namespace Core {
namespace BatchRun {

// Batch step of photolithography (type 0): develops the resist material through the
// masks "Top Mask" and "Bottom Mask" with their widths and heights. A mask size beyond
// the 32-bit signed range is an invalid value (result 2); a mask whose bits do not fit
// its size is ignored, as in the interactive operation. Resist material 1 marks the
// volume's silicon lattice stale.
// A side whose "<side> Mask Layout" names a GDSII layout (a name without a folder is
// taken from the list's folder) is rasterised onto the volume's columns instead, with
// "<side> Mask Layer" (needed), "Datatype" (-1: all), "Top Cell" (empty: every top-level
// structure), "Scale" (cells per micron), "Offset X" and "Offset Y" (cells). A layout
// that cannot be read or rasterised, or a placement out of range, fails the step
// (result 2) with the reason; a check only makes sure the file can be opened.
int32_t runPhotolithographyStep(StepEnvironment &environment, const ProcessData &step); // type 0

} // namespace BatchRun
} // namespace Core
