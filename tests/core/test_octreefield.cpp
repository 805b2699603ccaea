// The octree surface, the particle-count field view and its colour scale.

#include "filmtestsupport.h"

#include "Model/Automaton/colorscale.h"
#include "Model/Automaton/directcubicsurface.h"
#include "Model/Automaton/fieldpainter.h"
#include "Model/Automaton/octreesurface.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/quadface.h"
#include "Util/enumnumbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <vector>

using Model::Automaton::ColorScale;
using Model::Automaton::ColorScaleType;
using Model::Automaton::colorScaleTypes;
using Model::Automaton::FieldDistribution;
using Model::Automaton::fieldDistributions;
using Model::Automaton::FieldPainter;
using Model::Automaton::MaterialClasses;
using Model::Automaton::OctreeSurface;
using Model::Automaton::SurfaceColor;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Geometry::QuadFace;
using CellCorner = OctreeSurface::CellCorner;

namespace {

enum : uint32_t { Red = 1, Green = 2, Glass = 3, Amber = 4, Invisible = 5 };

const std::map<uint32_t, SurfaceColor> &colors()
{
    static const std::map<uint32_t, SurfaceColor> map = {
        {0u, {0, 0, 0, 0}},       {Red, {1, 0, 0, 1}},          {Green, {0, 1, 0, 1}},
        {Glass, {0, 0, 1, 0.5f}}, {Amber, {1, 0.75f, 0, 0.4f}}, {Invisible, {1, 1, 1, 0.0005f}},
    };
    return map;
}

const MaterialClasses &classes()
{
    static const MaterialClasses table(colors(), {0.5f, 0.5f, 0.5f, 1.0f});
    return table;
}

// A unit square of a face on a grid of unit cells: side, then the cell it belongs to.
using Square = std::array<int32_t, 4>;

std::vector<Square> squaresOf(const QuadFace &f)
{
    int32_t from[3], to[3];
    for (int a = 0; a < 3; ++a) {
        float lo = f.corner(0)[a], hi = lo;
        for (int k = 1; k < 4; ++k) {
            lo = std::min(lo, f.corner(k)[a]);
            hi = std::max(hi, f.corner(k)[a]);
        }
        from[a] = static_cast<int32_t>(std::lround(lo));
        to[a] = static_cast<int32_t>(std::lround(hi));
    }
    const int side = f.getSide(), axis = 2 - side / 2;
    from[axis] -= side & 1; // a positive side lies on its cell's far plane
    to[axis] = from[axis] + 1;
    std::vector<Square> out;
    for (int32_t x = from[0]; x < to[0]; ++x)
        for (int32_t y = from[1]; y < to[1]; ++y)
            for (int32_t z = from[2]; z < to[2]; ++z)
                out.push_back({side, x, y, z});
    return out;
}

std::multiset<Square> coverage(const std::vector<QuadFace> &faces)
{
    std::multiset<Square> out;
    for (const QuadFace &f : faces)
        for (const Square &s : squaresOf(f))
            out.insert(s);
    return out;
}

std::vector<QuadFace> directOpaque(TotalVolume *volume, const CellCorner &min, const CellCorner &max)
{
    Model::Automaton::DirectCubicSurface direct(*volume);
    const Model::Automaton::VoxelLock held(*volume);
    direct.generate(held.voxels(), min, max, classes());
    return direct.opaqueFaces();
}

// The octree's faces cover every square the direct surface shows, each once; anything
// more lies between two solid cells of the box, where it cannot be seen. Returns the
// octree's face count.
size_t expectSameVisibleSurface(const TotalVolumePtr &volume, const CellCorner &min, const CellCorner &max,
                                const char *what)
{
    SCOPED_TRACE(what);
    OctreeSurface octree(volume.get());
    octree.regenerate(min, max, colors());
    const std::multiset<Square> tree = coverage(octree.opaqueFaces());
    const std::multiset<Square> direct = coverage(directOpaque(volume.get(), min, max));
    std::vector<bool> solidCells(volume->getCellCount());
    {
        Model::Automaton::VoxelLock cells(*volume);
        for (size_t i = 0; i < solidCells.size(); ++i)
            solidCells[i] = cells[i].isSolid();
    }
    auto solid = [&](const std::array<int32_t, 3> &c) -> bool {
        for (int a = 0; a < 3; ++a)
            if (c[a] < min[a] || c[a] >= max[a])
                return false;
        return solidCells[volume->index(c[0], c[1], c[2])];
    };
    for (const Square &s : tree) {
        EXPECT_EQ(tree.count(s), 1u) << "twice: side " << s[0] << " of " << s[1] << "," << s[2] << "," << s[3];
        std::array<int32_t, 3> behind = {s[1], s[2], s[3]};
        behind[static_cast<size_t>(2 - s[0] / 2)] += (s[0] & 1) ? 1 : -1;
        EXPECT_TRUE(direct.count(s) || (solid({s[1], s[2], s[3]}) && solid(behind)))
            << "extra side " << s[0] << " of " << s[1] << "," << s[2] << "," << s[3];
    }
    for (const Square &s : direct)
        EXPECT_EQ(tree.count(s), 1u) << "missing side " << s[0] << " of " << s[1] << "," << s[2] << "," << s[3];
    EXPECT_TRUE(octree.translucentFaces().empty());
    return octree.opaqueFaces().size();
}

size_t countOf(const std::vector<QuadFace> &faces, uint32_t id)
{
    return static_cast<size_t>(std::count_if(faces.begin(), faces.end(), [id](const QuadFace &f) {
        return f.getMaterialId() == static_cast<int32_t>(id);
    }));
}

// Spreads a cell's count over its seven slots.
void setCount(int32_t *field, size_t cell, int32_t total)
{
    for (int32_t s = 0; s < 7; ++s)
        field[cell * 7 + static_cast<size_t>(s)] = total / 7 + (s < total % 7 ? 1 : 0);
}

} // namespace

TEST(OctreeSurface, UniformWindowCollapsesToTheRootAndShowsSixOuterFaces)
{
    auto volume = std::make_shared<TotalVolume>(8, 8, 8, 0.5f, 1.0f, 2.0f, Util::Vector3D());
    {
        Model::Automaton::VoxelLock cells(*volume);
        for (size_t i = 0; i < volume->getCellCount(); ++i)
            cells[i].setMaterialId(Green);
    }
    OctreeSurface octree(volume.get());
    // A window inside the volume: the root starts at its corner and spans it.
    octree.regenerate({2, 2, 2}, {6, 6, 6}, colors());
    const Model::Automaton::OctreeNode *root = octree.root();
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->leaf && root->child(0) == nullptr);
    EXPECT_EQ(root->material, static_cast<int32_t>(Green));
    EXPECT_EQ(root->size, 4);
    EXPECT_TRUE(root->originX == 2 && root->originY == 2 && root->originZ == 2);
    ASSERT_EQ(octree.opaqueFaces().size(), 6u);
    EXPECT_TRUE(octree.translucentFaces().empty());
    const QuadFace::Side order[6] = {QuadFace::PlusZ,  QuadFace::MinusZ, QuadFace::PlusX,
                                     QuadFace::MinusX, QuadFace::PlusY,  QuadFace::MinusY};
    const float cell[3] = {0.5f, 1.0f, 2.0f};
    for (int k = 0; k < 6; ++k) {
        const QuadFace &f = octree.opaqueFaces()[static_cast<size_t>(k)];
        EXPECT_EQ(f.getSide(), order[k]);
        EXPECT_EQ(f.getColor()[1], 1.0f);
        for (int c = 0; c < 4; ++c)
            for (int a = 0; a < 3; ++a)
                EXPECT_FLOAT_EQ(f.corner(c)[a], (2.0f + 4.0f * QuadFace::cornerOffsets[order[k]][c][a]) * cell[a]);
    }
}

TEST(OctreeSurface, ShowsTheSameSurfaceAsTheDirectCubicFaces)
{
    struct Shape
    {
        const char *name;
        FilmTest::MaterialRule rule;
        size_t faces;
    };
    const Shape shapes[] = {
        {"one cell", [](uint32_t x, uint32_t y, uint32_t z) { return x == 1 && y == 2 && z == 1 ? Red : 0u; }, 6},
        // 18 sides less the two shared pairs.
        {"L of three cells",
         [](uint32_t x, uint32_t y, uint32_t z) { return z == 0 && x + y < 2 ? Red : 0u; },
         14},
        // A merged 2-cube beside a cell of another material: the cube's side is seen
        // from three small empty cells and given once, whole.
        {"cube and cell",
         [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
             return x < 2 && y < 2 && z < 2 ? Red : (x == 2 && y == 0 && z == 0 ? Green : 0u);
         },
         11},
    };
    for (const Shape &s : shapes)
        EXPECT_EQ(expectSameVisibleSurface(FilmTest::makeVolume(4, 4, 4, s.rule), {0, 0, 0}, {4, 4, 4}, s.name),
                  s.faces);

    // Random blobs of two materials, cut cells, and a cut box off the origin.
    std::mt19937 random(7);
    auto blobs = FilmTest::makeVolume(11, 9, 13, [&](uint32_t, uint32_t, uint32_t z) -> uint32_t {
        const unsigned r = random() % 100;
        return z < 4 ? (r < 90 ? Red : Green) : (r < 30 ? Red : (r < 40 ? Green : 0u));
    });
    {
        Model::Automaton::VoxelLock cells(*blobs);
        for (uint32_t y = 0; y < 9; ++y)
            cells[blobs->index(5, y, 2)].addCut();
    }
    expectSameVisibleSurface(blobs, {0, 0, 0}, {11, 9, 13}, "blobs");
    expectSameVisibleSurface(blobs, {1, 2, 3}, {10, 7, 12}, "blobs in a cut box");
}

// Where a face's side passes a corner of another face (a smaller cube beside a larger
// one), the rim of the face holds that corner, so the face is drawn with its seams closed.
TEST(OctreeSurface, RimsHoldEveryCornerThatLiesOnAFacesSides)
{
    std::mt19937 random(11);
    auto blobs = FilmTest::makeVolume(13, 11, 9, [&](uint32_t, uint32_t, uint32_t z) -> uint32_t {
        const unsigned r = random() % 100;
        return z < 3 ? Red : (r < 25 ? Red : (r < 35 ? Glass : 0u));
    });
    OctreeSurface octree(blobs.get());
    octree.regenerate({0, 0, 0}, {13, 11, 9}, colors());
    std::vector<std::array<float, 3>> corners;
    for (const auto *list : {&octree.opaqueFaces(), &octree.translucentFaces()})
        for (const QuadFace &f : *list)
            for (int k = 0; k < 4; ++k)
                corners.push_back({f.corner(k)[0], f.corner(k)[1], f.corner(k)[2]});
    size_t split = 0;
    for (size_t i = 0; i < octree.opaqueFaces().size(); ++i) {
        const QuadFace &f = octree.opaqueFaces()[i];
        const auto rim = octree.rimOf(i);
        std::vector<std::array<float, 3>> expected;
        for (int k = 0; k < 4; ++k) {
            const float *from = f.corner(k), *to = f.corner((k + 1) % 4);
            expected.push_back({from[0], from[1], from[2]});
            int axis = 0;
            while (from[axis] == to[axis])
                ++axis;
            std::vector<std::array<float, 3>> between;
            for (const auto &c : corners) {
                bool onLine = true;
                for (int a = 0; a < 3; ++a)
                    onLine = onLine && (a == axis || c[a] == from[a]);
                if (onLine && c[axis] > std::min(from[axis], to[axis]) && c[axis] < std::max(from[axis], to[axis]))
                    between.push_back(c);
            }
            std::sort(between.begin(), between.end(), [&](const auto &p, const auto &q) {
                return from[axis] < to[axis] ? p[axis] < q[axis] : p[axis] > q[axis];
            });
            between.erase(std::unique(between.begin(), between.end()), between.end());
            expected.insert(expected.end(), between.begin(), between.end());
        }
        if (expected.size() == 4) {
            EXPECT_EQ(rim.second, 0u) << "face " << i;
            continue;
        }
        ++split;
        ASSERT_EQ(rim.second, expected.size()) << "face " << i;
        for (size_t k = 0; k < expected.size(); ++k)
            EXPECT_EQ(rim.first[k], expected[k]) << "face " << i << " point " << k;
    }
    EXPECT_GT(split, 0u);

    // A merged 2-cube beside one cell: the cube's side facing it is met by the cell's
    // corners at the middle of two of its sides.
    auto pair = FilmTest::makeVolume(4, 4, 4, [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        return x < 2 && y < 2 && z < 2 ? Red : (x == 2 && y == 0 && z == 0 ? Green : 0u);
    });
    OctreeSurface small(pair.get());
    small.regenerate({0, 0, 0}, {4, 4, 4}, colors());
    const auto &faces = small.opaqueFaces();
    const auto plusX = std::find_if(faces.begin(), faces.end(), [](const QuadFace &f) {
        return f.getSide() == QuadFace::PlusX && f.corner(0)[0] == 2.0f && f.getMaterialId() == int32_t(Red);
    });
    ASSERT_NE(plusX, faces.end());
    const auto rim = small.rimOf(static_cast<size_t>(plusX - faces.begin()));
    ASSERT_EQ(rim.second, 6u);
    std::set<std::array<float, 3>> points(rim.first, rim.first + rim.second);
    EXPECT_TRUE(points.count({2, 1, 0}) && points.count({2, 0, 1}));
}

TEST(OctreeSurface, TranslucentAndInvisibleMaterials)
{
    // Along x: red, glass, amber, a nearly invisible cell, red; empty space all around
    // (the root is 8 wide).
    const uint32_t row[5] = {Red, Glass, Amber, Invisible, Red};
    auto volume = FilmTest::makeVolume(5, 1, 1, [&](uint32_t x, uint32_t, uint32_t) { return row[x]; });
    OctreeSurface octree(volume.get());
    octree.regenerate({0, 0, 0}, {5, 1, 1}, colors());
    // Red shows every side, also towards the see-through neighbours; glass and amber
    // only towards empty space.
    EXPECT_EQ(countOf(octree.opaqueFaces(), Red), 12u);
    EXPECT_EQ(octree.opaqueFaces().size(), 12u);
    EXPECT_EQ(countOf(octree.translucentFaces(), Glass), 4u);
    EXPECT_EQ(countOf(octree.translucentFaces(), Amber), 4u);
    EXPECT_EQ(octree.translucentFaces().size(), 8u);
    // The red cell behind the invisible one shows its side.
    const auto facingInvisible = [](const QuadFace &f) {
        return f.getSide() == QuadFace::MinusX && f.corner(0)[0] == 4.0f;
    };
    EXPECT_EQ(std::count_if(octree.opaqueFaces().begin(), octree.opaqueFaces().end(), facingInvisible), 1);

    // A cut amber cell counts as empty: the glass now shows its side towards it.
    {
        Model::Automaton::VoxelLock cells(*volume);
        cells[volume->index(2, 0, 0)].addCut();
    }
    octree.regenerate({0, 0, 0}, {5, 1, 1}, colors());
    EXPECT_EQ(countOf(octree.translucentFaces(), Glass), 5u);
    EXPECT_EQ(octree.translucentFaces().size(), 5u);
}

TEST(ColorScale, TablesAndClamping)
{
    ColorScale scale;
    EXPECT_TRUE(scale.getType() == ColorScaleType::GrayScale && scale.getMinimum() == 0.0f && scale.getMaximum() == 1.0f);
    const SurfaceColor ends[3][2] = {
        {{0, 0, 0, 1}, {1, 1, 1, 1}}, {{1, 0, 0, 1}, {0, 0, 1, 1}}, {{1, 1, 0, 1}, {0, 0, 1, 1}}};
    for (int type = 0; type < 3; ++type) {
        scale.setType(colorScaleTypes[type]);
        EXPECT_EQ(scale.getType(), colorScaleTypes[type]);
        EXPECT_EQ(scale.entry(0), ends[type][0]) << type;
        EXPECT_EQ(scale.entry(255), ends[type][1]) << type;
    }
    const float t = 128.0f / 255.0f;
    EXPECT_EQ(scale.entry(128), (SurfaceColor{1 - t, 1 - t, t, 1}));

    scale.setRange(2.0f, 4.0f);
    for (float v : {2.0f, -1e30f, std::nanf("")})
        EXPECT_EQ(&scale.colorOf(v), &scale.entry(0)) << v;
    for (float v : {4.0f, 1e30f})
        EXPECT_EQ(&scale.colorOf(v), &scale.entry(255)) << v;
    EXPECT_EQ(&scale.colorOf(3.0f), &scale.entry(127));
    // An empty range does not divide by zero.
    scale.setRange(5.0f, 5.0f);
    EXPECT_EQ(&scale.colorOf(5.0f), &scale.entry(0));
    EXPECT_EQ(&scale.colorOf(6.0f), &scale.entry(255));
}

TEST(FieldPainter, RangeAndColoursFollowTheDistribution)
{
    auto volume = FilmTest::makeVolume(4, 3, 2, [](uint32_t, uint32_t, uint32_t) { return Red; });
    FieldPainter painter(volume.get());
    EXPECT_EQ(painter.getDistribution(), FieldDistribution::TypeN);
    const std::vector<QuadFace> direct = directOpaque(volume.get(), {0, 0, 0}, {4, 3, 2});

    // Without fields: the direct cubic faces in material colours, range 0..1. With only
    // a P field the N view has nothing to show either.
    for (int d = 0; d < 4; ++d) {
        if (d == 3)
            volume->createParticleField(FieldPainter::fieldNameP);
        painter.setDistribution(fieldDistributions[d % 3]);
        painter.regenerate({0, 0, 0}, {4, 3, 2}, classes());
        EXPECT_EQ(painter.hasField(), d == 3);
        EXPECT_TRUE(painter.colorScale().getMinimum() == 0.0f && painter.colorScale().getMaximum() == 1.0f);
        ASSERT_EQ(painter.opaqueFaces().size(), direct.size());
        for (size_t i = 0; i < direct.size(); ++i)
            EXPECT_TRUE(painter.opaqueFaces()[i].sameGeometryAndColor(direct[i])) << d;
    }

    int32_t *p = volume->particleField(FieldPainter::fieldNameP);
    int32_t *n = volume->createParticleField(FieldPainter::fieldNameN);
    const size_t a = volume->index(0, 0, 0), b = volume->index(1, 2, 1), c = volume->index(3, 1, 0),
                 marked = volume->index(2, 1, 1);
    {
        Model::Automaton::VoxelLock cells(*volume);
        setCount(n, a, 10);
        setCount(n, b, 4);
        setCount(p, b, 9);
        setCount(p, c, 2);
        // A marked cell is drawn but left out of the range.
        setCount(n, marked, 1000);
        setCount(p, marked, 1000);
        cells[marked].setMarked(true);
    }
    struct Case
    {
        FieldDistribution distribution;
        ColorScaleType type;
        float minimum, maximum;
        std::map<size_t, int> entries; // scale entry per cell; -1 or unlisted: material
    };
    const Case cases[] = {
        {FieldDistribution::TypeN, ColorScaleType::GrayScale, 0, 10, {{a, 255}, {b, 102}, {c, -1}, {marked, 255}}},
        {FieldDistribution::TypeP, ColorScaleType::YellowToBlue, 0, 9, {{a, -1}, {b, 255}, {c, 56}, {marked, 255}}},
        {FieldDistribution::SignedSum, ColorScaleType::RedToBlue, -10, 5, {{a, 0}, {b, 255}, {c, 204}, {marked, -1}}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(Util::toNumber(k.distribution));
        painter.setDistribution(k.distribution);
        painter.colorScale().setType(k.type);
        painter.regenerate({0, 0, 0}, {4, 3, 2}, classes());
        EXPECT_EQ(painter.colorScale().getMinimum(), k.minimum);
        EXPECT_EQ(painter.colorScale().getMaximum(), k.maximum);
        size_t listed = 0;
        for (const QuadFace &f : painter.opaqueFaces()) {
            const Square s = squaresOf(f).front();
            const auto it = k.entries.find(volume->index(s[1], s[2], s[3]));
            const int entry = it == k.entries.end() ? -1 : it->second;
            const SurfaceColor want = entry < 0 ? colors().at(Red) : painter.colorScale().entry(entry);
            EXPECT_EQ(SurfaceColor({f.getColor()[0], f.getColor()[1], f.getColor()[2], f.getColor()[3]}), want)
                << "cell " << s[1] << "," << s[2] << "," << s[3];
            listed += it != k.entries.end();
        }
        EXPECT_GE(listed, k.entries.size());
    }
}

TEST(FieldPainter, FacesDoNotDependOnTheThreadCount)
{
    std::mt19937 random(3);
    auto volume = FilmTest::randomScene(29, 7, 12, 11);
    int32_t *n = volume->createParticleField(FieldPainter::fieldNameN);
    int32_t *p = volume->createParticleField(FieldPainter::fieldNameP);
    for (size_t i = 0; i < volume->getCellCount() * TotalVolume::particleFieldSlots; ++i) {
        n[i] = static_cast<int32_t>(random() % 9);
        p[i] = static_cast<int32_t>(random() % 5);
    }
    std::vector<std::vector<QuadFace>> results;
    for (int threads : {1, 2, 7}) {
        const FilmTest::PoolThreads pool(threads);
        FieldPainter painter(volume.get());
        painter.setDistribution(FieldDistribution::SignedSum);
        painter.regenerate({1, 0, 2}, {28, 7, 11}, classes());
        EXPECT_LT(painter.colorScale().getMinimum(), 0.0f);
        results.push_back(painter.opaqueFaces());
        results.back().insert(results.back().end(), painter.translucentFaces().begin(),
                              painter.translucentFaces().end());
    }
    ASSERT_FALSE(results[0].empty());
    for (size_t r = 1; r < results.size(); ++r) {
        ASSERT_EQ(results[r].size(), results[0].size());
        for (size_t i = 0; i < results[0].size(); ++i)
            ASSERT_TRUE(results[r][i].sameGeometryAndColor(results[0][i])) << "face " << i;
    }
}
