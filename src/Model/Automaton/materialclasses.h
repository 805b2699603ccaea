#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace Model {
namespace Automaton {

// RGBA in 0..1, as the catalogue stores material colours.
using SurfaceColor = std::array<float, 4>;

namespace SurfaceAlpha {
// Alpha above which a material hides what lies behind it, and below which it is not
// drawn at all. Compared in single precision, as colours are stored, so that an alpha
// of 254/255 is translucent and one of 1/255 still visible.
constexpr float opaque = 0.99607843f;
constexpr float visible = 0.003921569f;
} // namespace SurfaceAlpha

// How a cell of a material shows. Cut and empty cells are Hidden as well.
enum CellKind : uint8_t { Hidden = 0, Opaque = 1, Translucent = 2 };

inline uint8_t kindOfAlpha(float alpha)
{
    if (alpha > SurfaceAlpha::opaque)
        return Opaque;
    if (alpha >= SurfaceAlpha::visible)
        return Translucent;
    return Hidden;
}

// Kind and colour of every material, built from a colour map once per generation so
// that cell loops index a flat table instead of searching the map. Ids missing from the
// map get `missing`.
class MaterialClasses
{
public:
    // Catalogue ids above this go to the (rarely used) sparse part.
    static constexpr uint32_t denseLimit = 65536;

    MaterialClasses(const std::map<uint32_t, SurfaceColor> &colorMap, const SurfaceColor &missing)
        : missing(missing)
    {
        uint32_t denseSize = 1;
        for (const auto &entry : colorMap)
            if (entry.first < denseLimit)
                denseSize = std::max(denseSize, entry.first + 1);
        kinds.assign(denseSize, kindOfAlpha(missing[3]));
        colors.assign(denseSize, missing);
        for (const auto &entry : colorMap) {
            if (entry.first < denseSize) {
                kinds[entry.first] = kindOfAlpha(entry.second[3]);
                colors[entry.first] = entry.second;
            } else {
                sparse.emplace(entry.first, entry.second);
            }
        }
        kinds[0] = Hidden;
    }

    uint8_t kindOf(uint32_t id) const { return id < kinds.size() ? kinds[id] : kindOfAlpha(colorOf(id)[3]); }
    const float *colorOf(uint32_t id) const
    {
        if (id < colors.size())
            return colors[id].data();
        const auto it = sparse.find(id);
        return it != sparse.end() ? it->second.data() : missing.data();
    }

private:
    SurfaceColor missing;
    std::vector<uint8_t> kinds;
    std::vector<SurfaceColor> colors;
    std::map<uint32_t, SurfaceColor> sparse;
};

} // namespace Automaton
} // namespace Model
