#pragma once

#include "Util/vector4d.h"

#include <QString>

namespace Util {

// The process-wide table of nine named colours, each in three variants, and the
// index of the variant the view uses for its own colours.
class ColorSettings
{
public:
    static constexpr int settingCount = 9;
    static constexpr int variantCount = 3;

    static Vector4D get(int setting, int variant);
    static void set(int setting, int variant, const Vector4D &color);
    static QString name(int setting);
    static int activeVariant();
    static void setActiveVariant(int variant);
    // Restores the built-in values and variant 0.
    static void resetToDefaults();
};

} // namespace Util
