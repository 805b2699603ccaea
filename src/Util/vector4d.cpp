#include "Util/vector4d.h"

#include "Util/colorsettings.h"

namespace Util {

Vector4D::Vector4D(ColorSetting setting, ColorVariant variant)
{
    *this = ColorSettings::get(setting, variant);
}

double Vector4D::get(int i) const
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default: return w;
    }
}

double &Vector4D::at(int i)
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default: return w;
    }
}

} // namespace Util
