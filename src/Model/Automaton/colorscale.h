#pragma once

#include "Model/Automaton/materialclasses.h"
#include "Model/Automaton/viewchoices.h"

#include <array>
#include <cstdint>

namespace Model {
namespace Automaton {

// Maps field values linearly onto a table of 256 colours between `minimum` (entry 0)
// and `maximum` (entry 255); values outside the range take the end entries.
class ColorScale
{
public:
    static constexpr int entryCount = 256;

    // Gray scale over 0..1.
    ColorScale();

    // Rebuilds the table when the type changes.
    void setType(ColorScaleType t);
    ColorScaleType getType() const { return type; }
    void setRange(float minimum, float maximum);
    float getMinimum() const { return minimum; }
    float getMaximum() const { return maximum; }

    // i is clamped to 0..255.
    const SurfaceColor &entry(int i) const;
    // Entry (v - minimum) / (maximum - minimum) x 255, truncated and clamped. With an
    // empty range (maximum == minimum) values up to the minimum give entry 0 and larger
    // ones entry 255; a value that is not a number gives entry 0.
    const SurfaceColor &colorOf(float v) const;

private:
    void rebuild();

    float minimum;
    float maximum;
    ColorScaleType type;
    std::array<SurfaceColor, entryCount> colors;
};

} // namespace Automaton
} // namespace Model
