#include "Model/Automaton/fieldpainter.h"

#include "Model/Automaton/directcubicsurface.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"

#include <algorithm>
#include <limits>

namespace Model {
namespace Automaton {

using Geometry::QuadFace;

const QString FieldPainter::fieldNameN = QStringLiteral("Random Walk Particle Count Type N");
const QString FieldPainter::fieldNameP = QStringLiteral("Random Walk Particle Count Type P");

namespace {

constexpr size_t slotCount = TotalVolume::particleFieldSlots;

// A cell's count: the sum of its slots (wide, so that no count can overflow).
inline int64_t countAt(const int32_t *field, size_t index)
{
    const int32_t *c = field + index * slotCount;
    int64_t sum = 0;
    for (size_t s = 0; s < slotCount; ++s)
        sum += c[s];
    return sum;
}

// The value a distribution reads from the two fields.
struct FieldValues
{
    const int32_t *n;
    const int32_t *p;
    FieldDistribution distribution;

    // Whether the distribution has a field to read at all.
    bool present() const
    {
        switch (distribution) {
        case FieldDistribution::TypeN:
            return n != nullptr;
        case FieldDistribution::TypeP:
            return p != nullptr;
        case FieldDistribution::SignedSum:
            break;
        }
        return n != nullptr || p != nullptr;
    }

    int64_t valueAt(size_t index) const
    {
        switch (distribution) {
        case FieldDistribution::TypeN:
            return countAt(n, index);
        case FieldDistribution::TypeP:
            return countAt(p, index);
        case FieldDistribution::SignedSum:
            break;
        }
        return (p ? countAt(p, index) : 0) - (n ? countAt(n, index) : 0);
    }

    // Whether a cell is coloured by its value rather than its material: a positive
    // count, or a sum that is not zero.
    bool shows(int64_t v) const { return distribution == FieldDistribution::SignedSum ? v != 0 : v > 0; }
};

struct RangeOutput
{
    int64_t minimum = std::numeric_limits<int64_t>::max();
    int64_t maximum = std::numeric_limits<int64_t>::min();
};

class FieldColouring : public CellColouring
{
public:
    FieldColouring(const FieldValues &values, const ColorScale &scale) : values(values), scale(scale) {}

    bool colourOf(int32_t, int32_t, int32_t, size_t index, uint32_t, float rgba[4]) const override
    {
        const int64_t v = values.valueAt(index);
        if (!values.shows(v))
            return false;
        const SurfaceColor &c = scale.colorOf(static_cast<float>(v));
        std::copy(c.begin(), c.end(), rgba);
        return true;
    }

private:
    const FieldValues values;
    const ColorScale &scale;
};

} // namespace

FieldPainter::FieldPainter(TotalVolume *volume)
    : volume(volume), faces(std::make_unique<DirectCubicSurface>(*volume))
{
}

FieldPainter::~FieldPainter() = default;

const std::vector<QuadFace> &FieldPainter::opaqueFaces() const { return faces->opaqueFaces(); }
const std::vector<QuadFace> &FieldPainter::translucentFaces() const { return faces->translucentFaces(); }
std::vector<QuadFace> &FieldPainter::opaqueFaces() { return faces->opaqueFaces(); }
std::vector<QuadFace> &FieldPainter::translucentFaces() { return faces->translucentFaces(); }

void FieldPainter::regenerate(const CellCorner &min, const CellCorner &max, const MaterialClasses &classes)
{
    faces->clear();
    cutMin = min;
    cutMax = max;
    const VoxelLock held(*volume);
    const Voxel *voxels = held.voxels();
    fieldN = volume->particleField(fieldNameN);
    fieldP = volume->particleField(fieldNameP);
    const FieldValues values{fieldN, fieldP, distribution};

    // The range covers every unmarked cell of the volume, not only the cut box, so that
    // moving the cut does not change the colours.
    float minimum = 0.0f, maximum = 1.0f;
    if (values.present()) {
        const size_t layer = volume->index(1, 0, 0);
        std::vector<RangeOutput> ranges = SlabRunner::run<RangeOutput>(
            0, static_cast<int32_t>(volume->getSizeX()),
            [&values, voxels, layer](int32_t begin, int32_t end, RangeOutput *out) {
                const size_t last = static_cast<size_t>(end) * layer;
                int64_t lo = out->minimum, hi = out->maximum;
                for (size_t i = static_cast<size_t>(begin) * layer; i < last; ++i) {
                    if (voxels[i].isMarked())
                        continue;
                    const int64_t v = values.valueAt(i);
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
                out->minimum = lo;
                out->maximum = hi;
            });
        RangeOutput all;
        for (const RangeOutput &r : ranges) {
            all.minimum = std::min(all.minimum, r.minimum);
            all.maximum = std::max(all.maximum, r.maximum);
        }
        // With every cell marked there is nothing to scale: keep the default range.
        if (all.minimum <= all.maximum) {
            minimum = static_cast<float>(all.minimum);
            maximum = static_cast<float>(all.maximum);
        }
    }
    scale.setRange(minimum, maximum);

    if (values.present()) {
        const FieldColouring colouring(values, scale);
        faces->generate(voxels, cutMin, cutMax, classes, &colouring);
    } else {
        faces->generate(voxels, cutMin, cutMax, classes);
    }
}

} // namespace Automaton
} // namespace Model
