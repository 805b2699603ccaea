#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/marchingcubesurface.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Geometry/bsptree.h"
#include "Model/Geometry/quadface.h"
#include "Model/Materials/materialfactory.h"

#include <QThread>
#include <QThreadPool>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <thread>

using Model::Automaton::SurfaceMode;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePainter;
using Model::Automaton::Voxel;
using Model::Geometry::QuadFace;
using Model::Materials::Material;
using Model::Materials::MaterialFactory;
using Util::Vector3D;
using Util::Vector4D;
using CellCorner = TotalVolumePainter::CellCorner;

namespace {

// Test materials, away from the catalogue's own ids.
enum : uint32_t {
    Red = 900,        // opaque
    Green = 901,      // opaque
    Glass = 902,      // translucent
    Amber = 903,      // translucent
    Invisible = 904,  // alpha 0
    Pink = 905,       // opaque, (0.8, 0.2, 0.5)
    NearlyOpaque = 906, // alpha 254/255
    Faint = 907,      // alpha 1/255
    Unknown = 31000,  // not in the catalogue
};

const std::map<uint32_t, std::array<float, 4>> &testColors()
{
    static const std::map<uint32_t, std::array<float, 4>> colors = {
        {Red, {1, 0, 0, 1}},          {Green, {0, 1, 0, 1}},
        {Glass, {0, 0, 1, 0.5f}},     {Amber, {1, 0.75f, 0, 0.4f}},
        {Invisible, {1, 1, 1, 0}},    {Pink, {0.8f, 0.2f, 0.5f, 1}},
        {NearlyOpaque, {0.25f, 0.25f, 0.25f, 254.0f / 255.0f}},
        {Faint, {0.25f, 0.25f, 0.25f, 1.0f / 255.0f}},
    };
    return colors;
}

class PainterTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        for (const auto &entry : testColors()) {
            Material m;
            m.id = entry.first;
            m.name = QStringLiteral("Painter test %1").arg(entry.first);
            for (int i = 0; i < 4; ++i)
                m.color[i] = entry.second[i];
            MaterialFactory::instance()->setMaterial(m);
        }
    }

    void TearDown() override { QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount()); }

    using Fill = std::function<uint32_t(int x, int y, int z)>;
    static std::shared_ptr<TotalVolume> makeVolume(int sx, int sy, int sz, const Fill &fill,
                                                   float csx = 1, float csy = 1, float csz = 1)
    {
        std::vector<uint32_t> ids(static_cast<size_t>(sx) * sy * sz);
        size_t i = 0;
        for (int x = 0; x < sx; ++x)
            for (int y = 0; y < sy; ++y)
                for (int z = 0; z < sz; ++z)
                    ids[i++] = fill(x, y, z);
        return std::make_shared<TotalVolume>(sx, sy, sz, csx, csy, csz, Vector3D(), ids);
    }

    // The faces of one side, in list order.
    static std::vector<const QuadFace *> facesOnSide(const std::vector<QuadFace> &faces, QuadFace::Side side)
    {
        std::vector<const QuadFace *> out;
        for (const QuadFace &f : faces)
            if (f.getSide() == side)
                out.push_back(&f);
        return out;
    }

    static void expectColor(const float *actual, float r, float g, float b, float a)
    {
        EXPECT_NEAR(actual[0], r, 1e-6);
        EXPECT_NEAR(actual[1], g, 1e-6);
        EXPECT_NEAR(actual[2], b, 1e-6);
        EXPECT_FLOAT_EQ(actual[3], a);
    }
};

void expectCorner(const float *c, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(c[0], x);
    EXPECT_FLOAT_EQ(c[1], y);
    EXPECT_FLOAT_EQ(c[2], z);
}

std::pair<size_t, size_t> faceCounts(TotalVolume &v)
{
    v.getPainter()->regenerate();
    return {v.getPainter()->getOpaqueFaces().size(), v.getPainter()->getTranslucentFaces().size()};
}

} // namespace

TEST_F(PainterTest, SingleOpaqueCellGivesSixFacesFromTheFaceTable)
{
    // Cell (1, 1, 1) of a 3 x 3 x 3 volume with cells of 1 x 2 x 3 units.
    auto v = makeVolume(3, 3, 3, [](int x, int y, int z) { return x == 1 && y == 1 && z == 1 ? Red : 0u; },
                        1.0f, 2.0f, 3.0f);
    TotalVolumePainter *p = v->getPainter();
    p->regenerate();
    const std::vector<QuadFace> &faces = p->getOpaqueFaces();
    ASSERT_EQ(faces.size(), 6u);
    EXPECT_TRUE(p->getTranslucentFaces().empty());
    EXPECT_FALSE(p->getTranslucentTree());

    // Sides in table order, each with its own fixed normal.
    const float normals[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
    for (int j = 0; j < 6; ++j) {
        const QuadFace &f = faces[j];
        EXPECT_EQ(f.getNormal(), QuadFace::normals[j]);
        expectCorner(f.getNormal(), normals[j][0], normals[j][1], normals[j][2]);
        EXPECT_EQ(f.getMaterialId(), static_cast<int32_t>(Red));
        expectColor(f.getColor(), 1, 0, 0, 1);
        expectColor(f.getOutlineColor(), 1, 0, 0, 1);
        // Counter-clockwise seen from outside: (c2 - c1) x (c3 - c2) points along the normal.
        const float *c1 = f.corner(0), *c2 = f.corner(1), *c3 = f.corner(2);
        const float a[3] = {c2[0] - c1[0], c2[1] - c1[1], c2[2] - c1[2]};
        const float b[3] = {c3[0] - c2[0], c3[1] - c2[1], c3[2] - c2[2]};
        const float n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
        EXPECT_GT(n[0] * normals[j][0] + n[1] * normals[j][1] + n[2] * normals[j][2], 0.0f) << "side " << j;
    }
    // -z: (0,0,0), (0,1,0), (1,1,0), (1,0,0) offsets from the cell, scaled per axis.
    expectCorner(faces[0].corner(0), 1, 2, 3);
    expectCorner(faces[0].corner(1), 1, 4, 3);
    expectCorner(faces[0].corner(2), 2, 4, 3);
    expectCorner(faces[0].corner(3), 2, 2, 3);
    // +x: (1,0,0), (1,1,0), (1,1,1), (1,0,1).
    expectCorner(faces[5].corner(0), 2, 2, 3);
    expectCorner(faces[5].corner(1), 2, 4, 3);
    expectCorner(faces[5].corner(2), 2, 4, 6);
    expectCorner(faces[5].corner(3), 2, 2, 6);
    // Serials count faces as they are constructed.
    EXPECT_EQ(faces[1].getSerial(), faces[0].getSerial() + 1);

    // The same cell filling a 1 x 1 x 1 volume shows all sides on the volume boundary.
    auto one = makeVolume(1, 1, 1, [](int, int, int) { return Red; });
    EXPECT_EQ(faceCounts(*one), std::make_pair(size_t(6), size_t(0)));
}

TEST_F(PainterTest, SharedSidesBetweenNeighbours)
{
    auto pair = [](uint32_t a, uint32_t b) {
        return makeVolume(3, 2, 2, [a, b](int x, int y, int z) {
            if (y != 0 || z != 0)
                return 0u;
            return x == 0 ? a : x == 1 ? b : 0u;
        });
    };
    EXPECT_EQ(faceCounts(*pair(Red, Green)), std::make_pair(size_t(10), size_t(0)));
    EXPECT_EQ(faceCounts(*pair(Red, Red)), std::make_pair(size_t(10), size_t(0)));
    EXPECT_EQ(faceCounts(*pair(Glass, Glass)), std::make_pair(size_t(0), size_t(10)));
    EXPECT_EQ(faceCounts(*pair(Glass, Amber)), std::make_pair(size_t(0), size_t(12)));

    // Opaque at x = 0, translucent at x = 1: the opaque cell shows its +x side through
    // the translucent one, the translucent cell does not show its -x side.
    auto mixed = pair(Red, Glass);
    EXPECT_EQ(faceCounts(*mixed), std::make_pair(size_t(6), size_t(5)));
    const auto opaquePlusX = facesOnSide(mixed->getPainter()->getOpaqueFaces(), QuadFace::PlusX);
    ASSERT_EQ(opaquePlusX.size(), 1u);
    EXPECT_FLOAT_EQ(opaquePlusX[0]->corner(0)[0], 1.0f);
    EXPECT_TRUE(facesOnSide(mixed->getPainter()->getTranslucentFaces(), QuadFace::MinusX).empty());
    ASSERT_TRUE(mixed->getPainter()->getTranslucentTree());
    EXPECT_EQ(mixed->getPainter()->translucentOrder(Vector3D(10, 10, 10)).size(), 5u);
}

TEST_F(PainterTest, AlphaDecidesOpaqueTranslucentOrNothing)
{
    auto single = [](uint32_t m) { return makeVolume(1, 1, 1, [m](int, int, int) { return m; }); };
    EXPECT_EQ(faceCounts(*single(Invisible)), std::make_pair(size_t(0), size_t(0)));
    // 254/255 is not above the opaque threshold; 1/255 is still visible.
    EXPECT_EQ(faceCounts(*single(NearlyOpaque)), std::make_pair(size_t(0), size_t(6)));
    EXPECT_EQ(faceCounts(*single(Faint)), std::make_pair(size_t(0), size_t(6)));

    // An invisible cell hides nothing: its opaque neighbour shows the shared side.
    auto beside = makeVolume(2, 1, 1, [](int x, int, int) { return x == 0 ? Red : Invisible; });
    EXPECT_EQ(faceCounts(*beside), std::make_pair(size_t(6), size_t(0)));

    // A material missing from the catalogue is drawn opaque mid-grey, not hidden.
    auto unknown = single(Unknown);
    EXPECT_EQ(faceCounts(*unknown), std::make_pair(size_t(6), size_t(0)));
    expectColor(unknown->getPainter()->getOpaqueFaces()[0].getColor(), 0.5f, 0.5f, 0.5f, 1);

    // The colour map holds the catalogue in id order, with a clear colour for id 0.
    const auto &map = unknown->getPainter()->getColorMap();
    ASSERT_TRUE(map.count(0));
    expectColor(map.at(0).data(), 0, 0, 0, 0);
    ASSERT_TRUE(map.count(Pink));
    expectColor(map.at(Pink).data(), 0.8f, 0.2f, 0.5f, 1);
    EXPECT_FALSE(map.count(Unknown));
}

TEST_F(PainterTest, CutBoxAndCutCellsShowTheirCutSides)
{
    auto block = makeVolume(4, 4, 4, [](int, int, int) { return Red; });
    TotalVolumePainter *p = block->getPainter();
    EXPECT_EQ(faceCounts(*block).first, 96u);

    // Half the block in x: a 2 x 4 x 4 body with its 16 cells on the cut plane x = 2.
    p->setCutLimits({0, 0, 0}, {2, 4, 4});
    EXPECT_EQ(faceCounts(*block).first, 64u);
    const auto cutSide = facesOnSide(p->getOpaqueFaces(), QuadFace::PlusX);
    ASSERT_EQ(cutSide.size(), 16u);
    for (const QuadFace *f : cutSide)
        EXPECT_FLOAT_EQ(f->corner(0)[0], 2.0f);

    // The middle 2 x 2 x 2 cells, every face inside the box.
    p->setCutLimits({1, 1, 1}, {3, 3, 3});
    CellCorner lo, hi;
    p->getCutLimits(&lo, &hi);
    EXPECT_EQ(lo, (CellCorner{1, 1, 1}));
    EXPECT_EQ(hi, (CellCorner{3, 3, 3}));
    const std::vector<Vector4D> planes = p->getClipPlanes();
    ASSERT_EQ(planes.size(), 6u);
    EXPECT_EQ(planes[0], Vector4D(-1, 0, 0, 1));
    EXPECT_EQ(planes[1], Vector4D(1, 0, 0, -3));
    EXPECT_EQ(planes[5], Vector4D(0, 0, 1, -3));
    EXPECT_EQ(faceCounts(*block).first, 24u);
    for (const QuadFace &f : p->getOpaqueFaces())
        for (int k = 0; k < 4; ++k)
            for (int a = 0; a < 3; ++a) {
                EXPECT_GE(f.corner(k)[a], 1.0f);
                EXPECT_LE(f.corner(k)[a], 3.0f);
            }

    // Limits beyond the volume are clipped to it; an empty box gives no faces.
    p->setCutLimits({-5, -5, -5}, {100, 100, 100});
    EXPECT_EQ(faceCounts(*block).first, 96u);
    p->setCutLimits({3, 0, 0}, {1, 4, 4});
    EXPECT_EQ(faceCounts(*block), std::make_pair(size_t(0), size_t(0)));

    // A cut cell is not drawn, and its neighbours show the side towards it, for one
    // translucent body as for an opaque one.
    for (uint32_t m : {Red, Glass}) {
        auto column = makeVolume(1, 1, 2, [m](int, int, int) { return m; });
        {
            const Model::Automaton::VoxelLock lock(*column);
            Voxel *cells = lock.voxels();
            cells[column->index(0, 0, 1)].addCut();
        }
        const auto counts = faceCounts(*column);
        EXPECT_EQ(counts.first + counts.second, 6u) << "material " << m;
    }
}

TEST_F(PainterTest, SameFacesForEveryThreadCount)
{
    // A random scene of opaque, translucent and empty cells with some cuts, inside a cut
    // box, checked against the visibility rule evaluated cell by cell.
    const int sx = 23, sy = 17, sz = 13;
    std::mt19937 rng(12345);
    const uint32_t choices[] = {0, 0, Red, Green, Glass, Amber, Invisible};
    std::uniform_int_distribution<int> pick(0, 6);
    std::uniform_int_distribution<int> cutChance(0, 9);
    std::vector<uint32_t> ids(static_cast<size_t>(sx) * sy * sz);
    for (uint32_t &id : ids)
        id = choices[pick(rng)];
    auto v = std::make_shared<TotalVolume>(sx, sy, sz, 0.5f, 1.0f, 2.0f, Vector3D(), ids);
    {
        const Model::Automaton::VoxelLock lock(*v);
        Voxel *cells = lock.voxels();
        for (size_t i = 0; i < ids.size(); ++i)
            if (cutChance(rng) == 0)
                cells[i].addCut();
    }
    const CellCorner lo{2, 1, 0}, hi{21, 17, 12};
    TotalVolumePainter *p = v->getPainter();
    p->setCutLimits(lo, hi);
    p->setEmptyVoxelOutlines(true);

    size_t expectedOpaque = 0, expectedTranslucent = 0, emptyCells = 0;
    {
        const Model::Automaton::VoxelLock lock(*v);
        const Voxel *cells = lock.voxels();
        auto alphaOf = [](const Voxel &c) { return testColors().at(c.getMaterialId())[3]; };
        auto solid = [](const Voxel &c) { return c.getMaterialId() != 0 && !c.isCut(); };
        const int d[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
        for (int x = lo[0]; x < hi[0]; ++x)
            for (int y = lo[1]; y < hi[1]; ++y)
                for (int z = lo[2]; z < hi[2]; ++z) {
                    const Voxel &c = cells[v->index(x, y, z)];
                    if (c.getMaterialId() == 0)
                        ++emptyCells;
                    if (!solid(c) || alphaOf(c) == 0)
                        continue;
                    const bool opaque = alphaOf(c) == 1;
                    for (const auto &o : d) {
                        const int n[3] = {x + o[0], y + o[1], z + o[2]};
                        bool shown = false;
                        if (n[0] < lo[0] || n[0] >= hi[0] || n[1] < lo[1] || n[1] >= hi[1] || n[2] < lo[2] || n[2] >= hi[2]) {
                            shown = true;
                        } else {
                            const Voxel &nb = cells[v->index(n[0], n[1], n[2])];
                            const bool nbOpaque = solid(nb) && alphaOf(nb) == 1;
                            shown = !nbOpaque && (opaque || !(solid(nb) && nb.getMaterialId() == c.getMaterialId()));
                        }
                        if (shown)
                            ++(opaque ? expectedOpaque : expectedTranslucent);
                    }
                }
    }

    std::vector<QuadFace> opaque[3], translucent[3], outlines[3];
    std::vector<uint32_t> order[3];
    const int threads[3] = {1, 2, 7};
    for (int t = 0; t < 3; ++t) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads[t]);
        p->regenerate();
        opaque[t] = p->getOpaqueFaces();
        translucent[t] = p->getTranslucentFaces();
        outlines[t] = p->getEmptyOutlineFaces();
        order[t] = p->translucentOrder(Vector3D(40, -30, 25));
    }
    EXPECT_EQ(opaque[0].size(), expectedOpaque);
    EXPECT_EQ(translucent[0].size(), expectedTranslucent);
    EXPECT_EQ(outlines[0].size(), 6 * emptyCells);
    for (int t = 1; t < 3; ++t) {
        SCOPED_TRACE(threads[t]);
        ASSERT_EQ(opaque[t].size(), opaque[0].size());
        ASSERT_EQ(translucent[t].size(), translucent[0].size());
        ASSERT_EQ(outlines[t].size(), outlines[0].size());
        for (size_t i = 0; i < opaque[0].size(); ++i)
            ASSERT_TRUE(opaque[t][i].sameGeometryAndColor(opaque[0][i])) << "opaque face " << i;
        for (size_t i = 0; i < translucent[0].size(); ++i)
            ASSERT_TRUE(translucent[t][i].sameGeometryAndColor(translucent[0][i])) << "translucent face " << i;
        for (size_t i = 0; i < outlines[0].size(); ++i)
            ASSERT_TRUE(outlines[t][i].sameGeometryAndColor(outlines[0][i])) << "outline face " << i;
        EXPECT_EQ(order[t], order[0]);
    }
    for (const QuadFace &f : outlines[0]) {
        EXPECT_EQ(f.getMaterialId(), 0);
        expectColor(f.getColor(), 0.8f, 0.8f, 0.8f, 1);
    }

    // Turning the outlines off drops them at the next regeneration.
    p->setEmptyVoxelOutlines(false);
    p->regenerate();
    EXPECT_TRUE(p->getEmptyOutlineFaces().empty());
    // The voxel mutex is free again after every regeneration.
    EXPECT_EQ(v->materialIds(), ids);
}

TEST_F(PainterTest, NarrowVolumesAndOddPoolSizes)
{
    // Fewer x layers than threads, and a pool limit that is not positive.
    auto slab = makeVolume(3, 5, 4, [](int x, int y, int) { return (x + y) % 2 ? Red : Glass; });
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    const auto reference = faceCounts(*slab);
    EXPECT_GT(reference.first, 0u);
    EXPECT_GT(reference.second, 0u);
    for (int n : {7, 0, -3}) {
        QThreadPool::globalInstance()->setMaxThreadCount(n);
        EXPECT_EQ(faceCounts(*slab), reference) << "pool limit " << n;
    }
}

TEST_F(PainterTest, SelectionHighlightAndRestore)
{
    const TotalVolumePainter::Color h = TotalVolumePainter::highlight({0.75f, 0.69f, 1.0f, 0.25f});
    EXPECT_NEAR(h[0], 0.05f, 1e-6);
    EXPECT_NEAR(h[1], 0.99f, 1e-6);
    EXPECT_NEAR(h[2], 0.3f, 1e-6);
    EXPECT_EQ(h[3], 0.25f);
    // The comparison is made in double precision, where 0.7f lies just below 0.7.
    EXPECT_NEAR(TotalVolumePainter::highlight({0.7f, 0, 0, 1})[0], 1.0f, 1e-6);

    auto v = makeVolume(2, 1, 1, [](int x, int, int) { return x == 0 ? Pink : Glass; });
    TotalVolumePainter *p = v->getPainter();
    p->regenerate();
    v->setSelected(true);
    p->refreshColors();
    for (const QuadFace &f : p->getOpaqueFaces()) {
        expectColor(f.getColor(), 0.1f, 0.5f, 0.8f, 1);
        expectColor(f.getOutlineColor(), 0.1f, 0.5f, 0.8f, 1);
    }
    for (const QuadFace &f : p->getTranslucentFaces())
        expectColor(f.getColor(), 0.3f, 0.3f, 0.3f, 0.5f);
    // Refreshing again keeps the highlight instead of highlighting the highlight.
    p->refreshColors();
    expectColor(p->getOpaqueFaces()[0].getColor(), 0.1f, 0.5f, 0.8f, 1);

    v->setSelected(false);
    p->refreshColors();
    for (const QuadFace &f : p->getOpaqueFaces()) {
        expectColor(f.getColor(), 0.8f, 0.2f, 0.5f, 1);
        expectColor(f.getOutlineColor(), 0.8f, 0.2f, 0.5f, 1);
    }

    // Painting (here without a GL context, which draws nothing) recolours when the
    // selection changed since the colours were set, also after a regeneration.
    v->setSelected(true);
    p->paint(true, true, Vector3D(10, 10, 10));
    EXPECT_TRUE(p->getSelectedShown());
    expectColor(p->getOpaqueFaces()[0].getColor(), 0.1f, 0.5f, 0.8f, 1);
    p->regenerate();
    p->paint(true, true, Vector3D(10, 10, 10));
    expectColor(p->getOpaqueFaces()[0].getColor(), 0.1f, 0.5f, 0.8f, 1);
    v->setSelected(false);
    p->paint(true, true, Vector3D(10, 10, 10));
    expectColor(p->getOpaqueFaces()[0].getColor(), 0.8f, 0.2f, 0.5f, 1);
}

TEST_F(PainterTest, OnlyTheGeneratorOfTheModeInUseKeepsASurface)
{
    auto v = makeVolume(2, 2, 2, [](int x, int y, int z) { return x + y + z == 0 ? Red : 0u; });
    TotalVolumePainter *p = v->getPainter();
    EXPECT_EQ(p->getMode(), SurfaceMode::DirectCubic);
    p->regenerate();
    ASSERT_EQ(p->getOpaqueFaces().size(), 6u);
    {
        const Model::Automaton::VoxelLock lock(*v);
        Voxel *cells = lock.voxels();
        cells[v->index(1, 1, 1)].setMaterialId(Green);
    }
    p->setMode(SurfaceMode::DirectCubic); // the same mode: the faces stay until the next regeneration
    EXPECT_EQ(p->getOpaqueFaces().size(), 6u);
    p->setMode(SurfaceMode::MarchingCubes);
    EXPECT_EQ(p->getMode(), SurfaceMode::MarchingCubes);
    EXPECT_TRUE(p->getOpaqueFaces().empty());
    p->regenerate();
    ASSERT_NE(p->getMarchingCubeSurface(), nullptr);
    // The window's lowest layer counts as empty: only the cell at (1, 1, 1) shows.
    EXPECT_EQ(p->getMarchingCubeSurface()->triangleCount(), 8u);
    p->setMode(SurfaceMode::Octree);
    EXPECT_EQ(p->getMarchingCubeSurface(), nullptr);
    p->regenerate();
    EXPECT_EQ(p->getOpaqueFaces().size(), 12u);
    p->setMode(SurfaceMode::DirectCubic);
    p->regenerate();
    EXPECT_EQ(p->getOpaqueFaces().size(), 12u);
}

// Surfaces made on another thread leave what is drawn alone until they are installed;
// surfaces made for a mode no longer in use are made afresh on installing.
TEST_F(PainterTest, SurfacesMadeElsewhereShowOnlyOnceInstalled)
{
    auto v = makeVolume(3, 3, 3, [](int x, int y, int z) { return x + y + z == 0 ? Red : (z == 2 ? Glass : 0u); });
    TotalVolumePainter *p = v->getPainter();
    p->regenerate();
    const std::pair<size_t, size_t> before{p->getOpaqueFaces().size(), p->getTranslucentFaces().size()};
    ASSERT_EQ(before.first, 6u);
    ASSERT_GT(before.second, 0u);
    ASSERT_NE(p->getTranslucentTree(), nullptr);

    {
        const Model::Automaton::VoxelLock lock(*v);
        Voxel *cells = lock.voxels();
        cells[v->index(2, 2, 0)].setMaterialId(Green);
    }
    std::unique_ptr<TotalVolumePainter::Surfaces> made;
    std::thread worker([&] { made = p->makeSurfaces(); });
    worker.join();
    EXPECT_EQ(p->getOpaqueFaces().size(), before.first);
    p->install(std::move(made));
    EXPECT_EQ(p->getOpaqueFaces().size(), 12u);
    EXPECT_EQ(p->getTranslucentFaces().size(), before.second);
    ASSERT_NE(p->getTranslucentTree(), nullptr);
    EXPECT_EQ(p->getTranslucentTree()->backToFrontOrder(Vector3D(1, 1, 9)).size(), before.second);

    made = p->makeSurfaces();
    p->setMode(SurfaceMode::Octree);
    p->install(std::move(made));
    EXPECT_EQ(p->getMarchingCubeSurface(), nullptr);
    EXPECT_EQ(p->getOpaqueFaces().size(), 12u);
    p->install(nullptr);
    EXPECT_EQ(p->getOpaqueFaces().size(), 12u);
}

TEST_F(PainterTest, TranslucentOrderTakesTheEyeRelativeToTheVolume)
{
    // Two separate translucent cells at x = 0 and x = 2 of a volume placed at x = 100.
    std::vector<uint32_t> ids = {Glass, 0, Glass};
    TotalVolume v(3, 1, 1, 1, 1, 1, Vector3D(100, 0, 0), ids);
    TotalVolumePainter *p = v.getPainter();
    p->regenerate();
    const std::vector<QuadFace> &faces = p->getTranslucentFaces();
    ASSERT_EQ(faces.size(), 12u);
    auto positionOf = [&faces](const std::vector<uint32_t> &order, QuadFace::Side side, float x) {
        for (size_t i = 0; i < order.size(); ++i)
            if (faces[order[i]].getSide() == side && faces[order[i]].corner(0)[0] == x)
                return static_cast<int>(i);
        return -1;
    };
    // Seen from x = 110 (scene), the +x side of the first cell (plane x = 1) lies behind
    // the -x side of the second (plane x = 2), and the reverse from x = 90.
    const std::vector<uint32_t> fromRight = p->translucentOrder(Vector3D(110, 0.5, 0.5));
    EXPECT_LT(positionOf(fromRight, QuadFace::PlusX, 1), positionOf(fromRight, QuadFace::MinusX, 2));
    const std::vector<uint32_t> fromLeft = p->translucentOrder(Vector3D(90, 0.5, 0.5));
    EXPECT_GT(positionOf(fromLeft, QuadFace::PlusX, 1), positionOf(fromLeft, QuadFace::MinusX, 2));
    ASSERT_EQ(fromRight.size(), 12u);
}
