#include "Util/colorsettings.h"

#include <mutex>

namespace Util {
namespace {

struct Table
{
    Vector4D colors[ColorSettings::settingCount][ColorSettings::variantCount];
    ColorVariant active = ColorVariant::Default;
};

const Table &defaults()
{
    static const Table table = [] {
        Table t;
        const Vector4D values[ColorSettings::settingCount][ColorSettings::variantCount] = {
            {{0, 0, 0, 1}, {1, 1, 1, 1}, {1, 0, 0, 1}},
            {{1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}},
            {{0.4, 0.4, 0.4, 1}, {0.4, 0.4, 0.4, 1}, {0.4, 0.4, 0.4, 1}},
            {{0, 0, 0, 0}, {1, 1, 1, 0}, {0, 0, 0, 0}},
            {{0.4, 0.4, 0.4, 1}, {0.4, 0.4, 0.4, 1}, {0.4, 0.4, 0.4, 1}},
            {{0.6, 0.6, 0.6, 1}, {0.6, 0.6, 0.6, 1}, {0.6, 0.6, 0.6, 1}},
            {{1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}},
            {{0, 0, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}},
            {{1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}},
        };
        for (int s = 0; s < ColorSettings::settingCount; ++s)
            for (int v = 0; v < ColorSettings::variantCount; ++v)
                t.colors[s][v] = values[s][v];
        return t;
    }();
    return table;
}

std::mutex &tableMutex()
{
    static std::mutex mutex;
    return mutex;
}

Table &table()
{
    static Table t = defaults();
    return t;
}

// The table's row of a setting and column of a variant.
size_t row(ColorSetting s) { return static_cast<size_t>(s); }
size_t column(ColorVariant v) { return static_cast<size_t>(v); }

} // namespace

Vector4D ColorSettings::get(ColorSetting setting, ColorVariant variant)
{
    std::lock_guard<std::mutex> lock(tableMutex());
    return table().colors[row(setting)][column(variant)];
}

void ColorSettings::set(ColorSetting setting, ColorVariant variant, const Vector4D &color)
{
    std::lock_guard<std::mutex> lock(tableMutex());
    table().colors[row(setting)][column(variant)] = color;
}

QString ColorSettings::name(ColorSetting setting)
{
    static const char *const names[settingCount] = {
        "Object Color", "Outline Color", "Grid Color", "Background Color",
        "Substrate Object Color", "Substrate Outline Color", "Console Background Color",
        "Console Text Color", "Object Temporary Color"};
    return QString::fromLatin1(names[row(setting)]);
}

ColorVariant ColorSettings::activeVariant()
{
    std::lock_guard<std::mutex> lock(tableMutex());
    return table().active;
}

void ColorSettings::setActiveVariant(ColorVariant variant)
{
    std::lock_guard<std::mutex> lock(tableMutex());
    table().active = variant;
}

void ColorSettings::resetToDefaults()
{
    std::lock_guard<std::mutex> lock(tableMutex());
    table() = defaults();
}

} // namespace Util
