#include "Model/Automaton/colorscale.h"

#include <algorithm>

namespace Model {
namespace Automaton {

ColorScale::ColorScale() : minimum(0.0f), maximum(1.0f), type(ColorScaleType::GrayScale) { rebuild(); }

void ColorScale::setType(ColorScaleType t)
{
    if (t == type)
        return;
    type = t;
    rebuild();
}

void ColorScale::setRange(float min, float max)
{
    minimum = min;
    maximum = max;
}

void ColorScale::rebuild()
{
    for (int i = 0; i < entryCount; ++i) {
        const float t = static_cast<float>(i) / 255.0f;
        switch (type) {
        case ColorScaleType::RedToBlue:
            colors[static_cast<size_t>(i)] = {1.0f - t, 0.0f, t, 1.0f};
            break;
        case ColorScaleType::YellowToBlue:
            colors[static_cast<size_t>(i)] = {1.0f - t, 1.0f - t, t, 1.0f};
            break;
        case ColorScaleType::GrayScale:
            colors[static_cast<size_t>(i)] = {t, t, t, 1.0f};
            break;
        }
    }
}

const SurfaceColor &ColorScale::entry(int i) const
{
    return colors[static_cast<size_t>(std::clamp(i, 0, entryCount - 1))];
}

const SurfaceColor &ColorScale::colorOf(float v) const
{
    if (maximum == minimum)
        return colors[v > maximum ? entryCount - 1 : 0];
    // Clamped while still a float: converting an out-of-range float to int is undefined.
    const float position = (v - minimum) / (maximum - minimum) * 255.0f;
    if (!(position > 0.0f))
        return colors[0];
    if (position >= 255.0f)
        return colors[entryCount - 1];
    return colors[static_cast<size_t>(static_cast<int>(position))];
}

} // namespace Automaton
} // namespace Model
