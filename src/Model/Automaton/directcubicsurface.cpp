#include "Model/Automaton/directcubicsurface.h"

#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"

#include <algorithm>

namespace Model {
namespace Automaton {

using Geometry::QuadFace;

namespace {

// Everything a slab task reads; shared read-only by all tasks.
struct Grid
{
    const TotalVolume *volume;
    const Voxel *voxels;
    DirectCubicSurface::CellCorner min;
    DirectCubicSurface::CellCorner max;
    float cellSize[3];
    const MaterialClasses *classes;
    const CellColouring *colouring;
};

// What one slab of x layers produces.
struct SlabOutput
{
    std::vector<QuadFace> opaque;
    std::vector<QuadFace> translucent;
};

// Face lists of a slab are reserved for about the surface of its part of the box; a
// solid's surface is rarely much larger, and untouched reserve costs no memory.
size_t surfaceEstimate(int64_t nx, int64_t ny, int64_t nz)
{
    const int64_t estimate = 2 * (nx * ny + nx * nz + ny * nz);
    return static_cast<size_t>(std::min<int64_t>(estimate, int64_t(1) << 20));
}

// Kinds of the cells of layer x inside the box, y-major, one byte per cell.
void classifyLayer(const Grid &g, int32_t x, uint8_t *out)
{
    const int32_t nz = g.max[2] - g.min[2];
    for (int32_t y = g.min[1]; y < g.max[1]; ++y) {
        const Voxel *row = g.voxels + g.volume->index(x, y, g.min[2]);
        for (int32_t z = 0; z < nz; ++z) {
            const Voxel &v = row[z];
            const uint32_t id = v.getMaterialId();
            *out++ = (id == 0 || v.isCut()) ? uint8_t(Hidden) : g.classes->kindOf(id);
        }
    }
}

void generateDirectCubicSlab(const Grid &g, int32_t xBegin, int32_t xEnd, SlabOutput *out)
{
    const int32_t ny = g.max[1] - g.min[1];
    const int32_t nz = g.max[2] - g.min[2];
    if (xBegin >= xEnd || ny <= 0 || nz <= 0)
        return;
    const float sx = g.cellSize[0], sy = g.cellSize[1], sz = g.cellSize[2];
    out->opaque.reserve(surfaceEstimate(xEnd - xBegin, ny, nz));

    // Index offsets of the +x and +y neighbours, from the volume's own index arithmetic.
    const ptrdiff_t strideX = static_cast<ptrdiff_t>(g.volume->index(1, 0, 0));
    const ptrdiff_t strideY = static_cast<ptrdiff_t>(g.volume->index(0, 1, 0));

    // Kinds of layers x - 1, x and x + 1, rolled along x.
    const size_t layer = static_cast<size_t>(ny) * static_cast<size_t>(nz);
    std::vector<uint8_t> buffer(3 * layer);
    uint8_t *prev = buffer.data();
    uint8_t *cur = prev + layer;
    uint8_t *next = cur + layer;
    if (xBegin > g.min[0])
        classifyLayer(g, xBegin - 1, prev);
    classifyLayer(g, xBegin, cur);

    for (int32_t x = xBegin; x < xEnd; ++x) {
        const bool hasPrev = x > g.min[0];
        const bool hasNext = x + 1 < g.max[0];
        if (hasNext)
            classifyLayer(g, x + 1, next);

        for (int32_t yi = 0; yi < ny; ++yi) {
            const int32_t y = g.min[1] + yi;
            const Voxel *row = g.voxels + g.volume->index(x, y, g.min[2]);
            const size_t rowOffset = static_cast<size_t>(yi) * static_cast<size_t>(nz);
            const uint8_t *c = cur + rowOffset;
            const uint8_t *below = yi > 0 ? c - nz : nullptr;          // y - 1
            const uint8_t *above = yi + 1 < ny ? c + nz : nullptr;     // y + 1
            const uint8_t *left = hasPrev ? prev + rowOffset : nullptr;  // x - 1
            const uint8_t *right = hasNext ? next + rowOffset : nullptr; // x + 1

            for (int32_t zi = 0; zi < nz; ++zi) {
                const uint8_t k = c[zi];
                if (k == Hidden)
                    continue;
                bool visible[6];
                uint32_t id;
                if (k == Opaque) {
                    // Hidden behind an opaque solid neighbour, shown on the box boundary.
                    visible[0] = zi == 0 || c[zi - 1] != Opaque;
                    visible[1] = zi + 1 == nz || c[zi + 1] != Opaque;
                    visible[2] = !below || below[zi] != Opaque;
                    visible[3] = !above || above[zi] != Opaque;
                    visible[4] = !left || left[zi] != Opaque;
                    visible[5] = !right || right[zi] != Opaque;
                    if (!(visible[0] | visible[1] | visible[2] | visible[3] | visible[4] | visible[5]))
                        continue;
                    id = row[zi].getMaterialId();
                } else {
                    // Also hidden behind a visible cell of the same material: one
                    // translucent body has no inner faces. A cut neighbour of the same
                    // material is not visible, so the body stays closed at the cut.
                    id = row[zi].getMaterialId();
                    const Voxel *v = row + zi;
                    auto shows = [id](uint8_t nk, const Voxel &n) {
                        return nk != Opaque && !(nk == Translucent && n.getMaterialId() == id);
                    };
                    visible[0] = zi == 0 || shows(c[zi - 1], v[-1]);
                    visible[1] = zi + 1 == nz || shows(c[zi + 1], v[1]);
                    visible[2] = !below || shows(below[zi], v[-strideY]);
                    visible[3] = !above || shows(above[zi], v[strideY]);
                    visible[4] = !left || shows(left[zi], v[-strideX]);
                    visible[5] = !right || shows(right[zi], v[strideX]);
                }
                const float *color = g.classes->colorOf(id);
                float own[4];
                const int32_t z = g.min[2] + zi;
                if (g.colouring && g.colouring->colourOf(x, y, z, static_cast<size_t>(row + zi - g.voxels), id, own))
                    color = own;
                std::vector<QuadFace> &list = k == Opaque ? out->opaque : out->translucent;
                for (int side = 0; side < 6; ++side)
                    if (visible[side])
                        list.emplace_back(static_cast<QuadFace::Side>(side), x, y, z, sx, sy, sz, color,
                                          static_cast<int32_t>(id));
            }
        }
        uint8_t *recycled = prev;
        prev = cur;
        cur = next;
        next = recycled;
    }
}

void generateEmptyOutlineSlab(const Grid &g, const float *color, int32_t xBegin, int32_t xEnd, SlabOutput *out)
{
    const float sx = g.cellSize[0], sy = g.cellSize[1], sz = g.cellSize[2];
    for (int32_t x = xBegin; x < xEnd; ++x)
        for (int32_t y = g.min[1]; y < g.max[1]; ++y) {
            const Voxel *row = g.voxels + g.volume->index(x, y, 0);
            for (int32_t z = g.min[2]; z < g.max[2]; ++z)
                if (row[z].getMaterialId() == 0)
                    for (int side = 0; side < 6; ++side)
                        out->opaque.emplace_back(static_cast<QuadFace::Side>(side), x, y, z, sx, sy, sz,
                                                 color, 0);
        }
}

Grid gridOf(const TotalVolume &volume, const Voxel *voxels, const DirectCubicSurface::CellCorner &min,
           const DirectCubicSurface::CellCorner &max)
{
    Grid g;
    g.volume = &volume;
    g.voxels = voxels;
    g.min = min;
    g.max = max;
    g.cellSize[0] = volume.getCellSizeX();
    g.cellSize[1] = volume.getCellSizeY();
    g.cellSize[2] = volume.getCellSizeZ();
    g.classes = nullptr;
    g.colouring = nullptr;
    return g;
}

} // namespace

DirectCubicSurface::DirectCubicSurface(const TotalVolume &volume) : volume(volume) {}

void DirectCubicSurface::clear()
{
    std::vector<QuadFace>().swap(opaque);
    std::vector<QuadFace>().swap(translucent);
}

void DirectCubicSurface::generate(const Voxel *voxels, const CellCorner &min, const CellCorner &max,
                                  const MaterialClasses &classes, const CellColouring *colouring)
{
    // Release the old surfaces first: only one generation's faces are held at a time.
    clear();
    Grid g = gridOf(volume, voxels, min, max);
    g.classes = &classes;
    g.colouring = colouring;
    std::vector<SlabOutput> outputs = SlabRunner::run<SlabOutput>(
        g.min[0], g.max[0], [&g](int32_t begin, int32_t end, SlabOutput *out) { generateDirectCubicSlab(g, begin, end, out); });
    SlabRunner::splice(&opaque, &outputs, &SlabOutput::opaque);
    SlabRunner::splice(&translucent, &outputs, &SlabOutput::translucent);
}

std::vector<QuadFace> DirectCubicSurface::emptyCellOutlines(const Voxel *voxels, const CellCorner &min,
                                                            const CellCorner &max, const float color[4]) const
{
    const Grid g = gridOf(volume, voxels, min, max);
    std::vector<SlabOutput> outputs =
        SlabRunner::run<SlabOutput>(g.min[0], g.max[0], [&g, color](int32_t begin, int32_t end, SlabOutput *out) {
            generateEmptyOutlineSlab(g, color, begin, end, out);
        });
    std::vector<QuadFace> faces;
    SlabRunner::splice(&faces, &outputs, &SlabOutput::opaque);
    return faces;
}

} // namespace Automaton
} // namespace Model
