#include "Util/colorsettings.h"

#include <mutex>

namespace Util {
namespace {

struct Table
{
    Vector4D colors[ColorSettings::settingCount][ColorSettings::variantCount];
    int active = 0;
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

int clampIndex(int i, int count) { return i < 0 ? 0 : (i >= count ? count - 1 : i); }

} // namespace

Vector4D ColorSettings::get(int setting, int variant)
{
    std::lock_guard<std::mutex> lock(tableMutex());
    return table().colors[clampIndex(setting, settingCount)][clampIndex(variant, variantCount)];
}

void ColorSettings::set(int setting, int variant, const Vector4D &color)
{
    std::lock_guard<std::mutex> lock(tableMutex());
    table().colors[clampIndex(setting, settingCount)][clampIndex(variant, variantCount)] = color;
}

QString ColorSettings::name(int setting)
{
    static const char *const names[settingCount] = {
        "Object Color", "Outline Color", "Grid Color", "Background Color",
        "Substrate Object Color", "Substrate Outline Color", "Console Background Color",
        "Console Text Color", "Object Temporary Color"};
    if (setting < 0 || setting >= settingCount)
        return QString();
    return QString::fromLatin1(names[setting]);
}

int ColorSettings::activeVariant()
{
    std::lock_guard<std::mutex> lock(tableMutex());
    return table().active;
}

void ColorSettings::setActiveVariant(int variant)
{
    std::lock_guard<std::mutex> lock(tableMutex());
    table().active = clampIndex(variant, variantCount);
}

void ColorSettings::resetToDefaults()
{
    std::lock_guard<std::mutex> lock(tableMutex());
    table() = defaults();
}

} // namespace Util
