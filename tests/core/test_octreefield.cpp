// The octree surface, the particle-count field view and its colour scale.

#include "filmtestsupport.h"

#include "Model/Automaton/colorscale.h"
#include "Model/Automaton/directcubicsurface.h"
#include "Model/Automaton/fieldpainter.h"
#include "Model/Automaton/octreesurface.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/quadface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <tuple>
#include <vector>

using Model::Automaton::ColorScale;
using Model::Automaton::DirectCubicSurface;
using Model::Automaton::FieldPainter;
using Model::Automaton::MaterialClasses;
using Model::Automaton::OctreeNode;
using Model::Automaton::OctreeSurface;
using Model::Automaton::SurfaceColor;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Model::Automaton::Voxel;
using Model::Geometry::QuadFace;
using CellCorner = OctreeSurface::CellCorner;

namespace {

enum : uint32_t { Red = 1, Green = 2, Glass = 3, Amber = 4, Invisible = 5 };

const std::map<uint32_t, SurfaceColor> &colors()
{
    static const std::map<uint32_t, SurfaceColor> map = {
        {0u, {0, 0, 0, 0}},         {Red, {1, 0, 0, 1}},         {Green, {0, 1, 0, 1}},
        {Glass, {0, 0, 1, 0.5f}},   {Amber, {1, 0.75f, 0, 0.4f}}, {Invisible, {1, 1, 1, 0.0005f}},
    };
    return map;
}

const SurfaceColor missing = {0.5f, 0.5f, 0.5f, 1.0f};

CellCorner sizeOf(const TotalVolume &v)
{
    return {static_cast<int32_t>(v.getSizeX()), static_cast<int32_t>(v.getSizeY()),
            static_cast<int32_t>(v.getSizeZ())};
}

// A unit square of a face on a grid of unit cells: side, and the cell whose side it is
// (the cell inside, against the normal).
using Square = std::array<int32_t, 4>;

std::vector<Square> squaresOf(const QuadFace &f)
{
    float lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = hi[a] = f.corner(0)[a];
        for (int k = 1; k < 4; ++k) {
            lo[a] = std::min(lo[a], f.corner(k)[a]);
            hi[a] = std::max(hi[a], f.corner(k)[a]);
        }
    }
    const int side = f.getSide();
    const int axis = 2 - side / 2;
    std::vector<Square> out;
    int32_t from[3], to[3];
    for (int a = 0; a < 3; ++a) {
        from[a] = static_cast<int32_t>(std::lround(lo[a]));
        to[a] = static_cast<int32_t>(std::lround(hi[a]));
    }
    // The plane lies on the cell's far side for a positive side.
    if (side & 1)
        from[axis] -= 1;
    to[axis] = from[axis] + 1;
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
    DirectCubicSurface direct(*volume);
    const MaterialClasses classes(colors(), missing);
    const Model::Automaton::HeldVoxels held(volume);
    direct.generate(held.get(), min, max, classes);
    return direct.opaqueFaces();
}

// The octree's opaque faces cover every square the direct surface shows; anything more
// lies between two solid opaque cells of the box (so it cannot be seen), and no face is
// emitted twice.
void expectSameVisibleSurface(const TotalVolumePtr &volume, const CellCorner &min, const CellCorner &max,
                              const char *what)
{
    SCOPED_TRACE(what);
    OctreeSurface octree(volume.get());
    octree.regenerate(min, max, colors());
    const std::multiset<Square> tree = coverage(octree.opaqueFaces());
    const std::multiset<Square> direct = coverage(directOpaque(volume.get(), min, max));
    const std::vector<uint32_t> ids = volume->materialIds();
    auto solid = [&](int32_t x, int32_t y, int32_t z) {
        if (x < min[0] || y < min[1] || z < min[2] || x >= max[0] || y >= max[1] || z >= max[2])
            return false;
        const uint32_t id = ids[volume->index(x, y, z)];
        return id == Red || id == Green;
    };
    std::set<Square> unique(tree.begin(), tree.end());
    EXPECT_EQ(unique.size(), tree.size()) << "a square is covered twice";
    for (const Square &s : direct)
        EXPECT_EQ(tree.count(s), 1u) << "missing side " << s[0] << " of " << s[1] << "," << s[2] << "," << s[3];
    for (const Square &s : unique) {
        if (direct.count(s))
            continue;
        const int axis = 2 - s[0] / 2;
        std::array<int32_t, 3> behind = {s[1], s[2], s[3]};
        behind[static_cast<size_t>(axis)] += (s[0] & 1) ? 1 : -1;
        EXPECT_TRUE(solid(s[1], s[2], s[3]) && solid(behind[0], behind[1], behind[2]))
            << "extra side " << s[0] << " of " << s[1] << "," << s[2] << "," << s[3];
    }
    EXPECT_TRUE(octree.translucentFaces().empty());
}

size_t countWithMaterial(const std::vector<QuadFace> &faces, uint32_t id)
{
    return static_cast<size_t>(std::count_if(faces.begin(), faces.end(), [id](const QuadFace &f) {
        return f.getMaterialId() == static_cast<int32_t>(id);
    }));
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
    const OctreeNode *root = octree.root();
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->leaf);
    EXPECT_EQ(root->child(0), nullptr);
    EXPECT_EQ(root->material, static_cast<int32_t>(Green));
    EXPECT_EQ(root->size, 4);
    EXPECT_EQ(std::make_tuple(root->originX, root->originY, root->originZ), std::make_tuple(2, 2, 2));
    ASSERT_EQ(octree.opaqueFaces().size(), 6u);
    EXPECT_TRUE(octree.translucentFaces().empty());
    const QuadFace::Side order[6] = {QuadFace::PlusZ, QuadFace::MinusZ, QuadFace::PlusX,
                                     QuadFace::MinusX, QuadFace::PlusY, QuadFace::MinusY};
    const float cell[3] = {0.5f, 1.0f, 2.0f};
    for (int k = 0; k < 6; ++k) {
        const QuadFace &f = octree.opaqueFaces()[static_cast<size_t>(k)];
        EXPECT_EQ(f.getSide(), order[k]);
        EXPECT_EQ(f.getMaterialId(), static_cast<int32_t>(Green));
        EXPECT_EQ(f.getColor()[1], 1.0f);
        for (int c = 0; c < 4; ++c)
            for (int a = 0; a < 3; ++a) {
                const int offset = QuadFace::cornerOffsets[order[k]][c][a];
                EXPECT_FLOAT_EQ(f.corner(c)[a], (2.0f + 4.0f * offset) * cell[a]);
            }
    }

    // A window that is not a power of two wide keeps an empty margin inside the root
    // and still shows the block's outside, once per square.
    auto block = FilmTest::makeVolume(6, 5, 3, [](uint32_t, uint32_t, uint32_t) { return Red; });
    OctreeSurface blockTree(block.get());
    blockTree.regenerate({0, 0, 0}, sizeOf(*block), colors());
    EXPECT_EQ(blockTree.root()->size, 8);
    EXPECT_FALSE(blockTree.root()->leaf);
    expectSameVisibleSurface(block, {0, 0, 0}, sizeOf(*block), "6 x 5 x 3 block");
}

TEST(OctreeSurface, ShowsTheSameSurfaceAsTheDirectCubicFaces)
{
    // One cell: its six sides and nothing else.
    auto single = FilmTest::makeVolume(4, 4, 4, [](uint32_t x, uint32_t y, uint32_t z) {
        return x == 1 && y == 2 && z == 1 ? Red : 0u;
    });
    OctreeSurface octree(single.get());
    octree.regenerate({0, 0, 0}, {4, 4, 4}, colors());
    EXPECT_EQ(octree.opaqueFaces().size(), 6u);
    expectSameVisibleSurface(single, {0, 0, 0}, {4, 4, 4}, "single cell");

    // An L of three cells: 18 sides less the two shared pairs.
    auto ell = FilmTest::makeVolume(4, 4, 4, [](uint32_t x, uint32_t y, uint32_t z) {
        return z == 0 && ((x < 2 && y == 0) || (x == 0 && y == 1)) ? Red : 0u;
    });
    OctreeSurface ellTree(ell.get());
    ellTree.regenerate({0, 0, 0}, {4, 4, 4}, colors());
    EXPECT_EQ(ellTree.opaqueFaces().size(), 14u);
    expectSameVisibleSurface(ell, {0, 0, 0}, {4, 4, 4}, "L of cells");

    // A merged 2-cube next to a single cell of another material: the cube's side is
    // seen from three small empty cells and given once.
    auto cubeAndCell = FilmTest::makeVolume(4, 4, 4, [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (x < 2 && y < 2 && z < 2)
            return Red;
        return x == 2 && y == 0 && z == 0 ? Green : 0u;
    });
    expectSameVisibleSurface(cubeAndCell, {0, 0, 0}, {4, 4, 4}, "cube and cell");

    // Random blobs of two materials, a cut box off the origin and cut cells.
    std::mt19937 random(7);
    auto blobs = FilmTest::makeVolume(11, 9, 13, [&](uint32_t, uint32_t, uint32_t z) -> uint32_t {
        const unsigned r = random() % 100;
        if (z < 4)
            return r < 90 ? Red : Green;
        return r < 30 ? Red : (r < 40 ? Green : 0u);
    });
    {
        Model::Automaton::VoxelLock cells(*blobs);
        for (uint32_t y = 0; y < 9; ++y)
            cells[blobs->index(5, y, 2)].addCut();
    }
    expectSameVisibleSurface(blobs, {0, 0, 0}, {11, 9, 13}, "blobs");
    expectSameVisibleSurface(blobs, {1, 2, 3}, {10, 7, 12}, "blobs in a cut box");
}

TEST(OctreeSurface, TranslucentAndInvisibleMaterials)
{
    // Along x: red, glass, amber, a nearly invisible cell, red; empty around (the root
    // is 8 wide, so every cell has empty space above, below and to the sides).
    const uint32_t row[5] = {Red, Glass, Amber, Invisible, Red};
    auto volume = FilmTest::makeVolume(5, 1, 1, [&](uint32_t x, uint32_t, uint32_t) { return row[x]; });
    OctreeSurface octree(volume.get());
    octree.regenerate({0, 0, 0}, {5, 1, 1}, colors());
    // Red shows every side: to empty space, and towards the see-through neighbours.
    EXPECT_EQ(countWithMaterial(octree.opaqueFaces(), Red), 12u);
    EXPECT_EQ(octree.opaqueFaces().size(), 12u);
    // Glass and amber show only towards empty space, not towards each other or red.
    EXPECT_EQ(countWithMaterial(octree.translucentFaces(), Glass), 4u);
    EXPECT_EQ(countWithMaterial(octree.translucentFaces(), Amber), 4u);
    EXPECT_EQ(octree.translucentFaces().size(), 8u);
    const auto redLeftSide = std::count_if(octree.opaqueFaces().begin(), octree.opaqueFaces().end(),
                                           [](const QuadFace &f) {
                                               return f.getSide() == QuadFace::MinusX && f.corner(0)[0] == 4.0f;
                                           });
    EXPECT_EQ(redLeftSide, 1) << "the red cell behind the invisible one shows its side";
    for (const QuadFace &f : octree.translucentFaces())
        EXPECT_NE(f.getSide(), QuadFace::PlusX);

    // A cut amber cell counts as empty: the glass now shows its side towards it.
    {
        Model::Automaton::VoxelLock cells(*volume);
        cells[volume->index(2, 0, 0)].addCut();
    }
    octree.regenerate({0, 0, 0}, {5, 1, 1}, colors());
    EXPECT_EQ(countWithMaterial(octree.translucentFaces(), Glass), 5u);
    EXPECT_EQ(octree.translucentFaces().size(), 5u);
}

TEST(ColorScale, TablesAndClamping)
{
    ColorScale scale;
    EXPECT_EQ(scale.getType(), 0);
    EXPECT_EQ(scale.getMinimum(), 0.0f);
    EXPECT_EQ(scale.getMaximum(), 1.0f);
    const std::map<int, std::pair<SurfaceColor, SurfaceColor>> ends = {
        {0, {{0, 0, 0, 1}, {1, 1, 1, 1}}},
        {1, {{1, 0, 0, 1}, {0, 0, 1, 1}}},
        {2, {{1, 1, 0, 1}, {0, 0, 1, 1}}},
    };
    for (const auto &e : ends) {
        scale.setType(e.first);
        EXPECT_EQ(scale.getType(), e.first);
        EXPECT_EQ(scale.entry(0), e.second.first) << "type " << e.first;
        EXPECT_EQ(scale.entry(255), e.second.second) << "type " << e.first;
    }
    // Yellow to blue halfway: t = 128 / 255.
    const float t = 128.0f / 255.0f;
    EXPECT_EQ(scale.entry(128), (SurfaceColor{1 - t, 1 - t, t, 1}));

    scale.setType(0);
    scale.setRange(2.0f, 4.0f);
    EXPECT_EQ(&scale.colorOf(2.0f), &scale.entry(0));
    EXPECT_EQ(&scale.colorOf(-1e30f), &scale.entry(0));
    EXPECT_EQ(&scale.colorOf(4.0f), &scale.entry(255));
    EXPECT_EQ(&scale.colorOf(1e30f), &scale.entry(255));
    EXPECT_EQ(&scale.colorOf(3.0f), &scale.entry(127));
    EXPECT_EQ(&scale.colorOf(std::nanf("")), &scale.entry(0));
    // An empty range does not divide by zero.
    scale.setRange(5.0f, 5.0f);
    EXPECT_EQ(&scale.colorOf(5.0f), &scale.entry(0));
    EXPECT_EQ(&scale.colorOf(6.0f), &scale.entry(255));
    // An unknown type is drawn in gray.
    scale.setType(9);
    EXPECT_EQ(scale.getType(), 0);
}

namespace {

// The cell a face of a unit grid belongs to.
std::array<int32_t, 3> cellOf(const QuadFace &f)
{
    const Square s = squaresOf(f).front();
    return {s[1], s[2], s[3]};
}

void setCount(int32_t *field, size_t cell, int64_t total)
{
    // Spread over the seven slots.
    const size_t slotCount = TotalVolume::particleFieldSlots;
    for (size_t s = 0; s < slotCount; ++s)
        field[cell * slotCount + s] = static_cast<int32_t>(total / 7 + (static_cast<int64_t>(s) < total % 7 ? 1 : 0));
}

} // namespace

TEST(FieldPainter, RangeAndColoursFollowTheDistribution)
{
    const MaterialClasses classes(colors(), missing);
    auto volume = FilmTest::makeVolume(4, 3, 2, [](uint32_t, uint32_t, uint32_t) { return Red; });
    FieldPainter painter(volume.get());
    EXPECT_EQ(painter.getDistribution(), 0);

    // Without fields: material colours, range 0..1, the direct cubic faces themselves.
    for (int d = 0; d < 3; ++d) {
        painter.setDistribution(d);
        painter.regenerate({0, 0, 0}, {4, 3, 2}, classes);
        EXPECT_FALSE(painter.hasField());
        EXPECT_EQ(painter.colorScale().getMinimum(), 0.0f);
        EXPECT_EQ(painter.colorScale().getMaximum(), 1.0f);
        const std::vector<QuadFace> direct = directOpaque(volume.get(), {0, 0, 0}, {4, 3, 2});
        ASSERT_EQ(painter.opaqueFaces().size(), direct.size());
        for (size_t i = 0; i < direct.size(); ++i)
            EXPECT_TRUE(painter.opaqueFaces()[i].sameGeometryAndColor(direct[i]));
    }

    // Only a P field: the N view still has nothing to show.
    int32_t *p = volume->createParticleField(FieldPainter::fieldNameP);
    painter.setDistribution(0);
    painter.regenerate({0, 0, 0}, {4, 3, 2}, classes);
    EXPECT_TRUE(painter.hasField());
    EXPECT_EQ(painter.colorScale().getMaximum(), 1.0f);
    for (const QuadFace &f : painter.opaqueFaces())
        EXPECT_EQ(f.getColor()[0], 1.0f);

    int32_t *n = volume->createParticleField(FieldPainter::fieldNameN);
    const size_t a = volume->index(0, 0, 0), b = volume->index(1, 2, 1), c = volume->index(3, 1, 0),
                 marked = volume->index(2, 1, 1);
    {
        Model::Automaton::VoxelLock cells(*volume);
        setCount(n, a, 10);
        setCount(n, b, 4);
        setCount(p, b, 9);
        setCount(p, c, 2);
        // A marked cell's counts are left out of the range.
        setCount(n, marked, 1000);
        setCount(p, marked, 1000);
        cells[marked].setMarked(true);
    }
    struct Case
    {
        int distribution;
        int type;
        float minimum, maximum;
        // Expected scale entry per cell, -1 for the material colour.
        std::map<size_t, int> entries;
    };
    const Case cases[] = {
        {0, 0, 0, 10, {{a, 255}, {b, 102}, {c, -1}, {marked, 255}}},
        {1, 2, 0, 9, {{a, -1}, {b, 255}, {c, 56}, {marked, 255}}},
        {2, 1, -10, 5, {{a, 0}, {b, 255}, {c, 204}, {marked, -1}}},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.distribution);
        painter.setDistribution(k.distribution);
        painter.colorScale().setType(k.type);
        painter.regenerate({0, 0, 0}, {4, 3, 2}, classes);
        EXPECT_EQ(painter.colorScale().getMinimum(), k.minimum);
        EXPECT_EQ(painter.colorScale().getMaximum(), k.maximum);
        size_t checked = 0;
        for (const QuadFace &f : painter.opaqueFaces()) {
            const std::array<int32_t, 3> at = cellOf(f);
            const size_t i = volume->index(at[0], at[1], at[2]);
            const auto expected = k.entries.find(i);
            const int entry = expected == k.entries.end() ? -1 : expected->second;
            const SurfaceColor want = entry < 0 ? colors().at(Red) : painter.colorScale().entry(entry);
            EXPECT_EQ(SurfaceColor({f.getColor()[0], f.getColor()[1], f.getColor()[2], f.getColor()[3]}), want)
                << "cell " << at[0] << "," << at[1] << "," << at[2];
            checked += expected != k.entries.end();
        }
        EXPECT_GE(checked, k.entries.size()); // every listed cell has an outer side
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
    const MaterialClasses classes(colors(), missing);
    std::vector<std::vector<QuadFace>> results;
    for (int threads : {1, 2, 7}) {
        const FilmTest::PoolThreads pool(threads);
        FieldPainter painter(volume.get());
        painter.setDistribution(2);
        painter.regenerate({1, 0, 2}, {28, 7, 11}, classes);
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
