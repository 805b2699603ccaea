#include "Model/Automaton/marchingcubesurface.h"

#include "Model/Automaton/marchingcubetables.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <limits>

namespace Model {
namespace Automaton {

namespace Tables = MarchingCubeTables;

namespace {

// Twice the offset of edge e's middle from the cube's lowest corner, per axis.
struct EdgeMiddles
{
    int twice[12][3];
    EdgeMiddles()
    {
        for (int e = 0; e < 12; ++e)
            for (int a = 0; a < 3; ++a)
                twice[e][a] = Tables::cornerOffset[Tables::edgeCorner[e][0]][a] +
                              Tables::cornerOffset[Tables::edgeCorner[e][1]][a];
    }
};

const EdgeMiddles &edgeMiddles()
{
    static const EdgeMiddles middles;
    return middles;
}

struct NoOutput
{
};

// One slab's triangles and where each of its cube layers ends in them.
struct SlabOutput
{
    std::vector<Triangle, UninitialisedAllocator<Triangle>> triangles;
    std::vector<size_t> layerEnd;
};

using CaseNormals = std::array<std::array<std::array<float, 3>, Tables::maxTriangles>, 256>;

// Everything the slab tasks read; shared read-only.
struct Grid
{
    const TotalVolume *volume;
    const Voxel *voxels;
    // Cells that count: lo <= X <= hi on each axis (inside the window and the volume).
    // Cubes with a corner among them run from lo - 1 to hi.
    int32_t lo[3];
    int32_t hi[3];
    // Half a cell per axis: positions are (twice the cell coordinate) x half.
    float half[3];
    const Tables::Case *cases;
    // Face normal of every triangle of every case; the same for every cube of that case.
    const CaseNormals *normals;
    // When not 0, only cells of this material count as solid.
    uint32_t only;
    // Corners beyond lo .. hi repeat the nearest cell instead of counting as empty.
    bool extend;

    int32_t rows() const { return hi[1] - lo[1] + 3; }   // corner rows lo - 1 .. hi + 1
    int32_t length() const { return hi[2] - lo[2] + 3; } // corner values per row
};

// Corner values of layer X: rows Y = lo - 1 .. hi + 1, each Z = lo - 1 .. hi + 1; the
// material id, or 0 for cut cells and cells that do not count.
void fillLayer(const Grid &g, int32_t x, uint32_t *out)
{
    const int32_t rows = g.rows();
    const int32_t length = g.length();
    std::fill(out, out + static_cast<size_t>(rows) * length, 0u);
    if (g.extend)
        x = std::min(std::max(x, g.lo[0]), g.hi[0]);
    if (x < g.lo[0] || x > g.hi[0])
        return;
    for (int32_t y = g.lo[1]; y <= g.hi[1]; ++y) {
        uint32_t *row = out + static_cast<size_t>(y - g.lo[1] + 1) * length + 1;
        const Voxel *cells = g.voxels + g.volume->index(x, y, g.lo[2]);
        const int32_t n = g.hi[2] - g.lo[2] + 1;
        if (g.only == 0) {
            for (int32_t i = 0; i < n; ++i)
                row[i] = cells[i].isCut() ? 0u : cells[i].getMaterialId();
        } else {
            for (int32_t i = 0; i < n; ++i)
                row[i] = !cells[i].isCut() && cells[i].getMaterialId() == g.only ? g.only : 0u;
        }
        if (g.extend) {
            row[-1] = row[0];
            row[n] = row[n - 1];
        }
    }
    if (g.extend) {
        std::copy(out + length, out + 2 * length, out);
        std::copy(out + static_cast<size_t>(rows - 2) * length, out + static_cast<size_t>(rows - 1) * length,
                  out + static_cast<size_t>(rows - 1) * length);
    }
}

inline uint32_t cornerBits(const uint32_t *a, const uint32_t *b, const uint32_t *c, const uint32_t *d, int32_t k)
{
    return uint32_t(a[k] != 0) | uint32_t(b[k] != 0) << 1 | uint32_t(c[k] != 0) << 2 | uint32_t(d[k] != 0) << 3;
}

// Writes the triangles of a cube of the given corner pattern at `out`.
void emitCube(const Grid &g, const int32_t cube[3], uint32_t pattern, const uint32_t value[8], Triangle *out)
{
    const Tables::Case &c = g.cases[pattern];
    const EdgeMiddles &middles = edgeMiddles();
    for (int i = 0; i < c.triangleCount; ++i, ++out) {
        const std::array<float, 3> &normal = (*g.normals)[pattern][static_cast<size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            const int e = c.triangleEdges[3 * i + k];
            Triangle::Vertex &v = out->vertices[k];
            for (int a = 0; a < 3; ++a) {
                v.position[a] = static_cast<float>(2 * cube[a] + middles.twice[e][a]) * g.half[a];
                v.normal[a] = normal[static_cast<size_t>(a)];
            }
            const uint32_t firstValue = value[Tables::edgeCorner[e][0]];
            v.materialId = static_cast<int32_t>(firstValue != 0 ? firstValue : value[Tables::edgeCorner[e][1]]);
        }
    }
}

// Walks the cubes of x layers [xBegin, xEnd) that have both solid and empty corners:
// startLayer(x) before each layer, then cube(cube, pattern, values) for each such cube.
// Two layers of corner values are kept, so every cell is read once per walk (plus the
// layer the walk starts on); along z the bits of a cube's upper four corners are those
// of the next cube's lower four, and cubes with all corners alike cost one comparison.
template <typename StartLayer, typename Cube>
void walkCubes(const Grid &g, int32_t xBegin, int32_t xEnd, StartLayer &&startLayer, Cube &&cube)
{
    const int32_t rows = g.rows();
    const int32_t length = g.length();
    const size_t layerSize = static_cast<size_t>(rows) * length;
    std::vector<uint32_t> layers(2 * layerSize);
    uint32_t *low = layers.data();
    uint32_t *high = layers.data() + layerSize;
    fillLayer(g, xBegin, low);
    uint32_t value[8];
    for (int32_t x = xBegin; x < xEnd; ++x) {
        fillLayer(g, x + 1, high);
        startLayer(x);
        for (int32_t r = 0; r + 1 < rows; ++r) {
            // Corner rows: 0/4 at (x, y + 1), 1/5 at (x + 1, y + 1), 2/6 at (x + 1, y),
            // 3/7 at (x, y).
            const uint32_t *a = low + static_cast<size_t>(r + 1) * length;
            const uint32_t *b = high + static_cast<size_t>(r + 1) * length;
            const uint32_t *c = high + static_cast<size_t>(r) * length;
            const uint32_t *d = low + static_cast<size_t>(r) * length;
            uint32_t below = cornerBits(a, b, c, d, 0);
            for (int32_t k = 0; k + 1 < length; ++k) {
                const uint32_t above = cornerBits(a, b, c, d, k + 1);
                const uint32_t pattern = below | above << 4;
                below = above;
                if (pattern == 0 || pattern == 255)
                    continue;
                value[0] = a[k];
                value[1] = b[k];
                value[2] = c[k];
                value[3] = d[k];
                value[4] = a[k + 1];
                value[5] = b[k + 1];
                value[6] = c[k + 1];
                value[7] = d[k + 1];
                const int32_t at[3] = {x, g.lo[1] - 1 + r, g.lo[2] - 1 + k};
                cube(at, pattern, value);
            }
        }
        std::swap(low, high);
    }
}

// (Q - P) x (R - P), normalised, for every triangle of every case, with the cell sizes.
void caseNormals(const float half[3], CaseNormals *normals)
{
    const EdgeMiddles &middles = edgeMiddles();
    for (size_t pattern = 0; pattern < 256; ++pattern) {
        const Tables::Case &c = Tables::cases()[pattern];
        for (int i = 0; i < c.triangleCount; ++i) {
            float p[3][3];
            for (int k = 0; k < 3; ++k)
                for (int a = 0; a < 3; ++a)
                    p[k][a] = static_cast<float>(middles.twice[c.triangleEdges[3 * i + k]][a]) * half[a];
            const float u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
            const float v[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
            float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            std::array<float, 3> &out = (*normals)[pattern][static_cast<size_t>(i)];
            for (int a = 0; a < 3; ++a)
                out[static_cast<size_t>(a)] = length > 0.0f ? n[a] / length : 0.0f;
        }
    }
}

// Normal smoothing. A vertex's key is its position in cells rounded with halves up: a
// corner keeps its cell coordinate, an edge middle goes to the edge's upper corner.
// Positions are twice-cell coordinates times half a cell, so they are turned back into
// those integers exactly and the key does not depend on rounding noise of the cell size.
struct Smoother
{
    // Triangles of one cube layer.
    struct Layer
    {
        Triangle *begin;
        Triangle *end;
    };

    const Grid *g;
    const std::vector<Layer> *layers; // per cube layer from lo - 1
    double inverseHalf[3];

    int64_t key(float position, int axis) const
    {
        const double scaled = static_cast<double>(position) * inverseHalf[axis];
        const int64_t twice = static_cast<int64_t>(scaled + (scaled < 0.0 ? -0.5 : 0.5));
        const int64_t up = twice + 1; // round halves up: floor((twice + 1) / 2)
        return up >= 0 ? up / 2 : -((1 - up) / 2);
    }

    struct Sum
    {
        float n[3];
        int32_t count;
        int64_t plane = std::numeric_limits<int64_t>::min();
    };

    // Smooths the vertices whose x key lies in [kxBegin, kxEnd). They belong to the
    // triangles of cube layers kx - 1 and kx. The first pass sums the normals per key
    // and notes each vertex's slot, the second hands out the averages.
    void run(int64_t kxBegin, int64_t kxEnd) const
    {
        constexpr uint32_t elsewhere = std::numeric_limits<uint32_t>::max();
        const int64_t rows = g->rows();
        const int64_t length = g->length();
        std::vector<Sum> sums(static_cast<size_t>(rows * length));
        std::vector<uint32_t> vertexSlots;
        const int64_t firstLayer = g->lo[0] - 1;
        const int64_t count = static_cast<int64_t>(layers->size());
        for (int64_t kx = kxBegin; kx < kxEnd; ++kx) {
            const int64_t from = std::max<int64_t>(kx - 1 - firstLayer, 0);
            const int64_t to = std::min<int64_t>(kx - firstLayer + 1, count);
            vertexSlots.clear();
            for (int64_t l = from; l < to; ++l)
                for (Triangle *t = (*layers)[size_t(l)].begin; t != (*layers)[size_t(l)].end; ++t)
                    for (Triangle::Vertex &v : t->vertices) {
                        uint32_t slot = elsewhere;
                        if (key(v.position[0], 0) == kx) {
                            const int64_t ky = key(v.position[1], 1) - (g->lo[1] - 1);
                            const int64_t kz = key(v.position[2], 2) - (g->lo[2] - 1);
                            if (ky >= 0 && ky < rows && kz >= 0 && kz < length) // always, in the window
                                slot = static_cast<uint32_t>(ky * length + kz);
                        }
                        vertexSlots.push_back(slot);
                        if (slot == elsewhere)
                            continue;
                        Sum &s = sums[slot];
                        if (s.plane != kx) {
                            s.plane = kx;
                            s.n[0] = s.n[1] = s.n[2] = 0.0f;
                            s.count = 0;
                        }
                        for (int a = 0; a < 3; ++a)
                            s.n[a] += v.normal[a];
                        ++s.count;
                    }
            const uint32_t *slot = vertexSlots.data();
            for (int64_t l = from; l < to; ++l)
                for (Triangle *t = (*layers)[size_t(l)].begin; t != (*layers)[size_t(l)].end; ++t)
                    for (Triangle::Vertex &v : t->vertices) {
                        const uint32_t at = *slot++;
                        if (at == elsewhere)
                            continue;
                        Sum &s = sums[at];
                        if (s.count > 0) {
                            // Average, then unit length. Opposite normals can cancel; such
                            // vertices keep their own face normals (count -2) rather than
                            // get no direction at all.
                            float n[3];
                            for (int a = 0; a < 3; ++a)
                                n[a] = s.n[a] / static_cast<float>(s.count);
                            const float norm = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
                            if (norm > 0.0f) {
                                for (int a = 0; a < 3; ++a)
                                    s.n[a] = n[a] / norm;
                                s.count = -1;
                            } else {
                                s.count = -2;
                            }
                        }
                        if (s.count == -1)
                            for (int a = 0; a < 3; ++a)
                                v.normal[a] = s.n[a];
                    }
        }
    }
};

} // namespace

MarchingCubeSurface::MarchingCubeSurface(TotalVolume *volume)
    : volume(volume), sizeX(volume->getSizeX()), sizeY(volume->getSizeY()), sizeZ(volume->getSizeZ())
{
}

void MarchingCubeSurface::regenerate(const CellCorner &cutMin, const CellCorner &cutMax, uint32_t onlyMaterial,
                                     bool extendEdges)
{
    std::lock_guard<std::mutex> lock(mutex);
    const VoxelLock held(*volume);
    voxels = held.voxels();
    struct Forget
    {
        const Voxel **voxels;
        ~Forget() { *voxels = nullptr; }
    } forget{&voxels}; // the pointer is only valid while the cells are held
    // The previous lists are handed to the slabs again, so that their memory is reused.
    std::vector<TriangleList> spare;
    spare.swap(triangles);

    const uint32_t sizes[3] = {sizeX, sizeY, sizeZ};
    Grid g{};
    g.volume = volume;
    g.voxels = voxels;
    g.only = onlyMaterial;
    g.extend = extendEdges;
    for (int a = 0; a < 3; ++a) {
        const int64_t lo = std::max<int64_t>(int64_t(cutMin[a]) + 1, 0);
        const int64_t hi = std::min<int64_t>(cutMax[a], int64_t(sizes[a]) - 1);
        if (lo > hi)
            return;
        g.lo[a] = static_cast<int32_t>(lo);
        g.hi[a] = static_cast<int32_t>(hi);
    }
    g.half[0] = volume->getCellSizeX() * 0.5f;
    g.half[1] = volume->getCellSizeY() * 0.5f;
    g.half[2] = volume->getCellSizeZ() * 0.5f;
    CaseNormals normals{};
    caseNormals(g.half, &normals);
    g.normals = &normals;
    g.cases = Tables::cases().data();

    // Cube layers xBegin .. xEnd - 1, in slabs; each slab fills a list of its own.
    const int32_t xBegin = g.lo[0] - 1;
    const int32_t xEnd = g.hi[0] + 1;
    std::mutex spareMutex;
    const int64_t ny = g.hi[1] - g.lo[1] + 2;
    const int64_t nz = g.hi[2] - g.lo[2] + 2;
    std::vector<SlabOutput> slabs = SlabRunner::run<SlabOutput>(
        xBegin, xEnd, [&](int32_t begin, int32_t end, SlabOutput *out) {
            {
                std::lock_guard<std::mutex> take(spareMutex);
                if (!spare.empty()) {
                    out->triangles.swap(spare.back());
                    spare.pop_back();
                    out->triangles.clear();
                }
            }
            // About four triangles per cell of the slab's bounding surface; reserved
            // memory that is never written costs nothing.
            const int64_t nx = end - begin;
            const int64_t estimate = std::min<int64_t>(4 * (nx * ny + nx * nz + ny * nz), int64_t(1) << 21);
            out->triangles.reserve(static_cast<size_t>(estimate));
            out->layerEnd.reserve(static_cast<size_t>(nx));
            TriangleList &list = out->triangles;
            walkCubes(
                g, begin, end,
                [&](int32_t x) {
                    if (x > begin)
                        out->layerEnd.push_back(list.size());
                },
                [&](const int32_t *cube, uint32_t pattern, const uint32_t *value) {
                    const size_t first = list.size();
                    list.resize(first + g.cases[pattern].triangleCount);
                    emitCube(g, cube, pattern, value, list.data() + first);
                });
            out->layerEnd.push_back(list.size());
        });
    std::vector<TriangleList>().swap(spare);

    std::vector<Smoother::Layer> layers;
    layers.reserve(static_cast<size_t>(xEnd - xBegin));
    for (SlabOutput &slab : slabs) {
        Triangle *base = slab.triangles.data();
        size_t start = 0;
        for (size_t end : slab.layerEnd) {
            layers.push_back({base + start, base + end});
            start = end;
        }
        if (!slab.triangles.empty())
            triangles.push_back(std::move(slab.triangles));
    }

    Smoother smoother{&g, &layers, {}};
    for (int a = 0; a < 3; ++a)
        smoother.inverseHalf[a] = 1.0 / static_cast<double>(g.half[a]);
    SlabRunner::run<NoOutput>(xBegin, xEnd + 1, [&smoother](int32_t begin, int32_t end, NoOutput *) {
        smoother.run(begin, end);
    });
}

void MarchingCubeSurface::draw(const std::map<uint32_t, SurfaceColor> &colors) const
{
    std::lock_guard<std::mutex> lock(mutex);
    int64_t lastId = -1;
    const SurfaceColor *color = nullptr;
    glBegin(GL_TRIANGLES);
    for (const TriangleList &list : triangles)
        for (const Triangle &t : list)
            for (const Triangle::Vertex &v : t.vertices) {
                if (v.materialId != lastId) {
                    lastId = v.materialId;
                    const auto found = colors.find(static_cast<uint32_t>(v.materialId));
                    color = found != colors.end() ? &found->second : nullptr;
                }
                glNormal3fv(v.normal);
                if (color)
                    glColor4fv(color->data());
                glVertex3fv(v.position);
            }
    glEnd();
}

std::vector<Triangle> MarchingCubeSurface::getTriangles() const
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Triangle> all;
    all.reserve(countTriangles());
    for (const TriangleList &list : triangles)
        all.insert(all.end(), list.begin(), list.end());
    return all;
}

size_t MarchingCubeSurface::triangleCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return countTriangles();
}

size_t MarchingCubeSurface::countTriangles() const
{
    size_t n = 0;
    for (const TriangleList &list : triangles)
        n += list.size();
    return n;
}

} // namespace Automaton
} // namespace Model
