#include "Model/Automaton/marchingcubesurface.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"

#include "filmtestsupport.h"

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <vector>

using Model::Automaton::MarchingCubeSurface;
using Model::Automaton::TotalVolume;
using Model::Automaton::Triangle;
using Model::Automaton::Voxel;
using CellCorner = MarchingCubeSurface::CellCorner;
using Rule = std::function<uint32_t(int32_t x, int32_t y, int32_t z)>;

namespace {

std::shared_ptr<TotalVolume> makeVolume(int32_t sx, int32_t sy, int32_t sz, const std::array<float, 3> &cell,
                                        const Rule &rule)
{
    auto volume = std::make_shared<TotalVolume>(sx, sy, sz, cell[0], cell[1], cell[2], Util::Vector3D());
    Model::Automaton::VoxelLock cells(*volume);
    for (int32_t x = 0; x < sx; ++x)
        for (int32_t y = 0; y < sy; ++y)
            for (int32_t z = 0; z < sz; ++z)
                cells[volume->index(x, y, z)].setMaterialId(rule(x, y, z));
    return volume;
}

std::vector<Triangle> surfaceOf(TotalVolume *volume, const CellCorner &cutMin, const CellCorner &cutMax)
{
    MarchingCubeSurface surface(volume);
    surface.regenerate(cutMin, cutMax);
    EXPECT_EQ(surface.triangleCount(), surface.getTriangles().size());
    return surface.getTriangles();
}

CellCorner fullMax(const TotalVolume &v)
{
    return {int32_t(v.getSizeX()), int32_t(v.getSizeY()), int32_t(v.getSizeZ())};
}

// A vertex in half cells; every vertex of the surface lies on such a lattice point.
using Point = std::array<int64_t, 3>;

Point halfCells(const Triangle::Vertex &v, const std::array<float, 3> &cell)
{
    Point p;
    for (int a = 0; a < 3; ++a)
        p[a] = std::llround(double(v.position[a]) / (0.5 * cell[a]));
    return p;
}

// Checks that the triangles form closed surfaces with one orientation: every directed
// edge P -> Q is matched by exactly one Q -> P, and occurs once. Also that every vertex
// lies exactly at the middle of a cell edge (one odd coordinate in half cells).
void expectClosed(const std::vector<Triangle> &triangles, const std::array<float, 3> &cell)
{
    std::map<std::pair<Point, Point>, int> directed;
    for (const Triangle &t : triangles) {
        Point p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = halfCells(t.vertices[k], cell);
            int odd = 0;
            for (int a = 0; a < 3; ++a) {
                EXPECT_FLOAT_EQ(t.vertices[k].position[a], float(p[k][a]) * 0.5f * cell[a]);
                odd += int(p[k][a] & 1);
            }
            EXPECT_EQ(odd, 1) << "vertex not at an edge middle";
        }
        for (int k = 0; k < 3; ++k)
            ++directed[{p[k], p[(k + 1) % 3]}];
    }
    size_t open = 0;
    size_t repeated = 0;
    for (const auto &entry : directed) {
        repeated += entry.second != 1;
        const auto back = directed.find({entry.first.second, entry.first.first});
        open += back == directed.end() || back->second != entry.second;
    }
    EXPECT_EQ(open, 0u) << "edges without a matching reverse edge";
    EXPECT_EQ(repeated, 0u) << "directed edges used twice";
}

// The volume enclosed by the surface (positive when the triangles face outwards).
double enclosedVolume(const std::vector<Triangle> &triangles)
{
    double sum = 0.0;
    for (const Triangle &t : triangles) {
        const float *p = t.vertices[0].position;
        const float *q = t.vertices[1].position;
        const float *r = t.vertices[2].position;
        sum += double(p[0]) * (double(q[1]) * r[2] - double(q[2]) * r[1]) -
               double(p[1]) * (double(q[0]) * r[2] - double(q[2]) * r[0]) +
               double(p[2]) * (double(q[0]) * r[1] - double(q[1]) * r[0]);
    }
    return sum / 6.0;
}

bool sameTriangles(const std::vector<Triangle> &a, const std::vector<Triangle> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            const Triangle::Vertex &u = a[i].vertices[k];
            const Triangle::Vertex &v = b[i].vertices[k];
            if (std::memcmp(u.position, v.position, sizeof u.position) != 0 ||
                std::memcmp(u.normal, v.normal, sizeof u.normal) != 0 || u.materialId != v.materialId)
                return false;
        }
    return true;
}

} // namespace

TEST(MarchingCubes, SingleCellIsAClosedOctahedronFacingOutwards)
{
    const std::array<float, 3> cell = {1.0f, 2.0f, 0.5f};
    auto volume = makeVolume(5, 5, 5, cell, [](int32_t x, int32_t y, int32_t z) -> uint32_t {
        return x == 2 && y == 2 && z == 2 ? 7 : 0;
    });
    const std::vector<Triangle> triangles = surfaceOf(volume.get(), {0, 0, 0}, fullMax(*volume));
    ASSERT_EQ(triangles.size(), 8u);
    expectClosed(triangles, cell);
    // An octahedron with half diagonals of half a cell.
    EXPECT_NEAR(enclosedVolume(triangles), (4.0 / 3.0) * 0.125 * cell[0] * cell[1] * cell[2], 1e-6);

    // Six vertices, half a cell from the cell's centre along each axis. Those on the
    // upper sides have keys of their own and get the axis as their normal; the three
    // on the lower sides round to the cell's own key and share one normal.
    std::set<Point> points;
    std::vector<std::array<float, 3>> lowerNormals;
    for (const Triangle &t : triangles)
        for (const Triangle::Vertex &v : t.vertices) {
            EXPECT_EQ(v.materialId, 7);
            const Point p = halfCells(v, cell);
            points.insert(p);
            float outward = 0.0f;
            for (int a = 0; a < 3; ++a)
                outward += v.normal[a] * float(p[a] - 4);
            EXPECT_GT(outward, 0.0f) << "normal points into the cell";
            EXPECT_NEAR(std::sqrt(v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] + v.normal[2] * v.normal[2]),
                        1.0f, 1e-6f);
            for (int a = 0; a < 3; ++a) {
                if (p[a] == 5) {
                    for (int b = 0; b < 3; ++b)
                        EXPECT_FLOAT_EQ(v.normal[b], a == b ? 1.0f : 0.0f);
                }
            }
            if (p[0] + p[1] + p[2] == 11)
                lowerNormals.push_back({v.normal[0], v.normal[1], v.normal[2]});
        }
    EXPECT_EQ(points, (std::set<Point>{{3, 4, 4}, {5, 4, 4}, {4, 3, 4}, {4, 5, 4}, {4, 4, 3}, {4, 4, 5}}));
    ASSERT_EQ(lowerNormals.size(), 12u);
    for (const auto &n : lowerNormals)
        EXPECT_EQ(n, lowerNormals.front());
}

TEST(MarchingCubes, SolidWindowClosesHalfACellInsideItsLowerLayer)
{
    const std::array<float, 3> cell = {0.5f, 1.0f, 2.0f};
    auto volume = makeVolume(7, 6, 5, cell, [](int32_t, int32_t, int32_t) -> uint32_t { return 2; });
    struct Window
    {
        CellCorner min, max;
        Point low, high; // expected bounds in half cells
    };
    // The whole volume: the lowest layer is outside the window; the surface closes
    // half a cell beyond the last layer. A smaller window: the same inside it.
    const Window windows[] = {
        {{0, 0, 0}, {7, 6, 5}, {1, 1, 1}, {13, 11, 9}},
        {{2, 1, 0}, {5, 3, 3}, {5, 3, 1}, {11, 7, 7}},
    };
    MarchingCubeSurface surface(volume.get()); // regenerated in place for each window
    for (const Window &w : windows) {
        surface.regenerate(w.min, w.max);
        const std::vector<Triangle> triangles = surface.getTriangles();
        ASSERT_FALSE(triangles.empty());
        expectClosed(triangles, cell);
        Point low = {1 << 20, 1 << 20, 1 << 20};
        Point high = {-1, -1, -1};
        for (const Triangle &t : triangles)
            for (const Triangle::Vertex &v : t.vertices) {
                const Point p = halfCells(v, cell);
                for (int a = 0; a < 3; ++a) {
                    low[a] = std::min(low[a], p[a]);
                    high[a] = std::max(high[a], p[a]);
                }
            }
        EXPECT_EQ(low, w.low);
        EXPECT_EQ(high, w.high);
        // A box of (high - low) / 2 cells per side, less its rounded edges and corners.
        double box = 1.0;
        for (int a = 0; a < 3; ++a)
            box *= double(w.high[a] - w.low[a]) * 0.5 * cell[a];
        const double enclosed = enclosedVolume(triangles);
        EXPECT_GT(enclosed, 0.8 * box);
        EXPECT_LT(enclosed, box);
    }
}

TEST(MarchingCubes, EveryCornerPatternAndRandomSceneGiveClosedSurfaces)
{
    const std::array<float, 3> unit = {1.0f, 1.0f, 1.0f};
    // The 256 patterns of one cube: cells 1..2 on each axis (layer 0 is outside the
    // window, layer 3 empty).
    for (uint32_t pattern = 1; pattern < 256; ++pattern) {
        auto volume = makeVolume(4, 4, 4, unit, [pattern](int32_t x, int32_t y, int32_t z) -> uint32_t {
            if (x < 1 || x > 2 || y < 1 || y > 2 || z < 1 || z > 2)
                return 0;
            const int bit = (x - 1) + 2 * (y - 1) + 4 * (z - 1);
            return (pattern >> bit & 1) ? 1 : 0;
        });
        const std::vector<Triangle> triangles = surfaceOf(volume.get(), {0, 0, 0}, fullMax(*volume));
        SCOPED_TRACE(pattern);
        expectClosed(triangles, unit);
        EXPECT_GT(enclosedVolume(triangles), 0.0);
    }

    // Three materials with cut cells, in a window that clips the volume. Every vertex
    // takes the material of the solid end of its edge; cut cells count as empty.
    const std::array<float, 3> cell = {0.7f, 1.3f, 0.4f};
    std::mt19937 random(15);
    std::vector<uint32_t> ids(14 * 13 * 12);
    for (uint32_t &id : ids)
        id = random() % 100 < 45 ? 1 + random() % 3 : 0;
    auto volume = makeVolume(14, 13, 12, cell, [&](int32_t x, int32_t y, int32_t z) {
        return ids[size_t((x * 13 + y) * 12 + z)];
    });
    auto uncut = makeVolume(14, 13, 12, cell, [&](int32_t x, int32_t y, int32_t z) {
        return (x + 2 * y + z) % 5 == 0 ? 0u : ids[size_t((x * 13 + y) * 12 + z)];
    });
    {
        Model::Automaton::VoxelLock cells(*volume);
        for (int32_t x = 0; x < 14; ++x)
            for (int32_t y = 0; y < 13; ++y)
                for (int32_t z = 0; z < 12; ++z)
                    if ((x + 2 * y + z) % 5 == 0)
                        cells[volume->index(x, y, z)].addCut();
    }
    const CellCorner cutMin = {1, 0, 2};
    const CellCorner cutMax = {12, 13, 10};
    const std::vector<Triangle> triangles = surfaceOf(volume.get(), cutMin, cutMax);
    ASSERT_GT(triangles.size(), 1000u);
    expectClosed(triangles, cell);
    EXPECT_GT(enclosedVolume(triangles), 0.0);
    EXPECT_TRUE(sameTriangles(triangles, surfaceOf(uncut.get(), cutMin, cutMax)));

    auto solidId = [&](const Point &p) -> uint32_t {
        for (int a = 0; a < 3; ++a)
            if (p[a] <= cutMin[a] || p[a] > cutMax[a] || p[a] >= int64_t(a == 0 ? 14 : a == 1 ? 13 : 12))
                return 0;
        return (p[0] + 2 * p[1] + p[2]) % 5 == 0 ? 0 : ids[size_t((p[0] * 13 + p[1]) * 12 + p[2])];
    };
    size_t wrong = 0;
    for (const Triangle &t : triangles)
        for (const Triangle::Vertex &v : t.vertices) {
            const Point p = halfCells(v, cell);
            Point lower, upper;
            for (int a = 0; a < 3; ++a) {
                lower[a] = p[a] >> 1;
                upper[a] = (p[a] + 1) >> 1;
            }
            const uint32_t a = solidId(lower);
            const uint32_t b = solidId(upper);
            wrong += (a == 0) == (b == 0) || uint32_t(v.materialId) != (a != 0 ? a : b);
        }
    EXPECT_EQ(wrong, 0u);
}

TEST(MarchingCubes, SameTrianglesForAnyThreadCountAndSharedNormalsPerKey)
{
    const std::array<float, 3> cell = {1.0f, 1.0f, 1.0f};
    auto volume = FilmTest::randomScene(61, 23, 17, 4);
    std::vector<Triangle> reference;
    MarchingCubeSurface surface(volume.get()); // also reuses its lists across slab counts
    for (int threads : {1, 2, 7, 2}) {
        FilmTest::PoolThreads pool(threads);
        surface.regenerate({0, 0, 0}, fullMax(*volume));
        const std::vector<Triangle> triangles = surface.getTriangles();
        if (reference.empty()) {
            reference = triangles;
            ASSERT_GT(reference.size(), 1000u);
        } else {
            EXPECT_TRUE(sameTriangles(triangles, reference)) << threads << " threads";
        }
    }
    expectClosed(reference, cell);

    // Vertices whose positions round (halves up) to one cell corner share a unit normal;
    // on this scene most keys gather vertices of several edges.
    std::map<Point, std::array<float, 3>> byKey;
    size_t shared = 0;
    for (const Triangle &t : reference)
        for (const Triangle::Vertex &v : t.vertices) {
            const Point p = halfCells(v, cell);
            const Point key = {(p[0] + 1) >> 1, (p[1] + 1) >> 1, (p[2] + 1) >> 1};
            const std::array<float, 3> n = {v.normal[0], v.normal[1], v.normal[2]};
            const auto found = byKey.emplace(key, n);
            if (!found.second) {
                EXPECT_EQ(found.first->second, n);
                ++shared;
            }
            EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0f, 1e-5f);
        }
    EXPECT_GT(shared, reference.size());
}
