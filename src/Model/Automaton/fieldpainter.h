#pragma once

#include "Model/Automaton/colorscale.h"
#include "Model/Automaton/materialclasses.h"
#include "Model/Geometry/quadface.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;
class DirectCubicSurface;

// The particle-count field view: the cut box's cell faces (chosen as on the direct cubic
// surface) coloured through a colour scale by the dopant counts the random-walk doping
// leaves on the volume, and by material where a cell has none.
class FieldPainter
{
public:
    using CellCorner = std::array<int32_t, 3>;

    // Names under which the volume keeps the two count fields.
    static const QString fieldNameN;
    static const QString fieldNameP;

    explicit FieldPainter(TotalVolume *volume);
    ~FieldPainter();
    FieldPainter(const FieldPainter &) = delete;
    FieldPainter &operator=(const FieldPainter &) = delete;

    // Takes effect at the next regeneration.
    void setDistribution(FieldDistribution d) { distribution = d; }
    FieldDistribution getDistribution() const { return distribution; }
    ColorScale &colorScale() { return scale; }
    const ColorScale &colorScale() const { return scale; }

    // Sets the scale's range from every unmarked cell of the volume and rebuilds the
    // faces of [cutMin, cutMax) (clipped to the volume by the caller). Takes the voxel
    // mutex itself.
    void regenerate(const CellCorner &cutMin, const CellCorner &cutMax, const MaterialClasses &classes);

    const std::vector<Geometry::QuadFace> &opaqueFaces() const;
    const std::vector<Geometry::QuadFace> &translucentFaces() const;
    std::vector<Geometry::QuadFace> &opaqueFaces();
    std::vector<Geometry::QuadFace> &translucentFaces();
    // Whether either count field was on the volume at the last regeneration.
    bool hasField() const { return fieldN != nullptr || fieldP != nullptr; }

private:
    TotalVolume *volume;
    FieldDistribution distribution = FieldDistribution::TypeN;
    // Into the volume's properties; refreshed at every regeneration.
    const int32_t *fieldN = nullptr;
    const int32_t *fieldP = nullptr;
    ColorScale scale;
    CellCorner cutMin{0, 0, 0};
    CellCorner cutMax{0, 0, 0};
    std::unique_ptr<DirectCubicSurface> faces;
};

} // namespace Automaton
} // namespace Model
