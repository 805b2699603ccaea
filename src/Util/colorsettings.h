#pragma once

#include "Util/vector4d.h"

#include <QString>

namespace Util {

// The process-wide table of nine named colours, each in three variants, and the
// variant the view uses for its own colours.
class ColorSettings
{
public:
    static constexpr int settingCount = 9;
    static constexpr int variantCount = 3;

    static Vector4D get(ColorSetting setting, ColorVariant variant);
    static void set(ColorSetting setting, ColorVariant variant, const Vector4D &color);
    static QString name(ColorSetting setting);
    static ColorVariant activeVariant();
    static void setActiveVariant(ColorVariant variant);
    // Restores the built-in values and the default variant.
    static void resetToDefaults();
};

} // namespace Util
