#pragma once

#include "Model/Automaton/materialclasses.h"
#include "Model/Geometry/quadface.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;
class Voxel;

// Colours cells other than by their material (the field view). Called on worker
// threads, so it must only read.
class CellColouring
{
public:
    virtual ~CellColouring() = default;
    // The colour of cell (x, y, z) (voxel index `index`, material `id`), written into
    // `rgba`; false to use the material's colour.
    virtual bool colourOf(int32_t x, int32_t y, int32_t z, size_t index, uint32_t id, float rgba[4]) const = 0;
};

// The direct cubic surface: one quad per visible cell side. A side of an opaque cell
// shows unless an opaque cell lies behind it; a side of a translucent cell shows
// unless an opaque cell or a visible cell of the same material lies behind it; sides on
// the box's boundary always show. Generated in x slabs on the global pool.
class DirectCubicSurface
{
public:
    using CellCorner = std::array<int32_t, 3>;

    explicit DirectCubicSurface(const TotalVolume &volume);

    // The faces of the cells in [min, max) (clipped to the volume by the caller), with
    // the volume's voxels held by the caller. Replaces the previous faces.
    void generate(const Voxel *voxels, const CellCorner &min, const CellCorner &max,
                  const MaterialClasses &classes, const CellColouring *colouring = nullptr);
    // All six sides of every empty cell in [min, max), in `color`.
    std::vector<Geometry::QuadFace> emptyCellOutlines(const Voxel *voxels, const CellCorner &min,
                                                      const CellCorner &max, const float color[4]) const;
    void clear();

    std::vector<Geometry::QuadFace> &opaqueFaces() { return opaque; }
    std::vector<Geometry::QuadFace> &translucentFaces() { return translucent; }
    const std::vector<Geometry::QuadFace> &opaqueFaces() const { return opaque; }
    const std::vector<Geometry::QuadFace> &translucentFaces() const { return translucent; }

private:
    const TotalVolume &volume;
    std::vector<Geometry::QuadFace> opaque;
    std::vector<Geometry::QuadFace> translucent;
};

} // namespace Automaton
} // namespace Model
