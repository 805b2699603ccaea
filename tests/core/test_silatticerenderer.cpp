#include "Model/Automaton/silattice.h"
#include "Model/Automaton/silatticerenderer.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "filmtestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

using Model::Automaton::SiLatticeRenderer;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Point = SiLatticeRenderer::Point;
using CellCorner = Model::Automaton::TotalVolumePainter::CellCorner;

namespace {

const SiLatticeRenderer &view(const TotalVolumePtr &v) { return v->getPainter()->getLatticeRenderer(); }

std::vector<Point> allAtoms(const SiLatticeRenderer &r)
{
    std::vector<Point> result;
    for (int c = 0; c < SiLatticeRenderer::colorCount; ++c) {
        const auto &list = r.atoms(static_cast<SiLatticeRenderer::AtomColor>(c));
        result.insert(result.end(), list.begin(), list.end());
    }
    return result;
}

float distance(const Point &a, const Point &b)
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

int64_t siliconAtoms(TotalVolume &v)
{
    Model::Automaton::VoxelLock cells(v);
    int64_t n = 0;
    for (size_t i = 0; i < v.getCellCount(); ++i)
        n += cells[i].getCount();
    return n;
}

// A silicon block of sx x sy x sz cells at `position`, with the lattice built.
TotalVolumePtr block(uint32_t sx, uint32_t sy, uint32_t sz, Util::Vector3D position = Util::Vector3D(),
                     float cellSize = 1.0f)
{
    auto v = std::make_shared<TotalVolume>(sx, sy, sz, cellSize, cellSize, cellSize, position);
    {
        Model::Automaton::VoxelLock cells(*v);
        for (size_t i = 0; i < v->getCellCount(); ++i)
            cells[i].setMaterialId(1);
    }
    v->createLattice();
    return v;
}

// Sets the alpha of silicon in the catalogue for the lifetime of the object.
class SiliconAlpha
{
public:
    explicit SiliconAlpha(float alpha)
        : catalogue(Model::Materials::MaterialFactory::instance()), saved(catalogue->getMaterial(1))
    {
        Model::Materials::Material m = saved;
        m.color[3] = alpha;
        catalogue->setMaterial(m);
    }
    ~SiliconAlpha() { catalogue->setMaterial(saved); }
    SiliconAlpha(const SiliconAlpha &) = delete;
    SiliconAlpha &operator=(const SiliconAlpha &) = delete;

private:
    std::shared_ptr<Model::Materials::MaterialFactory> catalogue;
    Model::Materials::Material saved;
};

// Silicon is made invisible, as a user does to look at its atoms: no cell hides them.
class SiLatticeRendererTest : public ::testing::Test
{
protected:
    SiliconAlpha invisible{0.0f};
};

} // namespace

// The sphere is a closed icosphere of radius 1 (scaled to 0.1 when drawn): 162 vertices,
// 320 triangles wound counter-clockwise seen from outside, every edge shared by two.
TEST(SiLatticeRenderer, SphereIsAClosedOutwardIcosphere)
{
    const auto &vertices = SiLatticeRenderer::sphereVertices();
    const auto &indices = SiLatticeRenderer::sphereIndices();
    ASSERT_EQ(vertices.size(), 162u);
    ASSERT_EQ(indices.size(), 320u * 3);
    for (const auto &p : vertices)
        EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1.0, 1e-6);
    std::map<std::pair<int, int>, int> edges;
    for (size_t t = 0; t < indices.size(); t += 3) {
        const auto &a = vertices[indices[t]], &b = vertices[indices[t + 1]], &c = vertices[indices[t + 2]];
        const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        EXPECT_GT(n[0] * (a[0] + b[0] + c[0]) + n[1] * (a[1] + b[1] + c[1]) + n[2] * (a[2] + b[2] + c[2]), 0.0) << t;
        for (int k = 0; k < 3; ++k)
            ++edges[{indices[t + k], indices[t + (k + 1) % 3]}];
    }
    // Each directed edge once, and its reverse once: closed and consistently wound.
    for (const auto &e : edges) {
        EXPECT_EQ(e.second, 1);
        EXPECT_EQ(edges.count({e.first.second, e.first.first}), 1u);
    }
    EXPECT_EQ(SiLatticeRenderer::atomRadius, 0.1f);
}

TEST(SiLatticeRenderer, ColoursFromBondsAndSecondNeighbours)
{
    using R = SiLatticeRenderer;
    EXPECT_EQ(R::colorFor(3, 8), R::Orange);
    EXPECT_EQ(R::colorFor(3, 9), R::Blue);
    EXPECT_EQ(R::colorFor(3, 12), R::Blue);
    EXPECT_EQ(R::colorFor(2, 0), R::Green);
    EXPECT_EQ(R::colorFor(2, 12), R::Green);
    for (unsigned n : {0u, 1u, 4u})
        EXPECT_EQ(R::colorFor(n, 5), R::Yellow) << n;
    const uint8_t expected[4][3] = {{255, 127, 0}, {0, 0, 255}, {127, 255, 127}, {255, 255, 0}};
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(R::atomRgb[c][i], expected[c][i]);
}

// Nothing is listed until a switch asks for it; with atoms on and surface atoms only
// off, every silicon atom is listed once, and no bulk atom is a surface atom.
TEST_F(SiLatticeRendererTest, AtomsAndSurfaceAtoms)
{
    const auto v = block(8, 8, 6);
    auto *painter = v->getPainter();
    painter->regenerate();
    EXPECT_EQ(view(v).atomCount(), 0u);
    EXPECT_TRUE(view(v).getRenderSurfaceAtomsOnly());

    painter->setRenderAtoms(true);
    painter->setRenderSurfaceAtomsOnly(false);
    painter->regenerate();
    const int64_t silicon = siliconAtoms(*v);
    ASSERT_GT(silicon, 0);
    EXPECT_EQ(static_cast<int64_t>(view(v).atomCount()), silicon);
    // Inside the block every atom is fully bonded; fully bonded atoms are yellow.
    EXPECT_GT(view(v).atoms(SiLatticeRenderer::Yellow).size(), view(v).atomCount() / 3);

    painter->setRenderSurfaceAtomsOnly(true);
    painter->regenerate();
    const std::vector<Point> surface = allAtoms(view(v));
    ASSERT_FALSE(surface.empty());
    EXPECT_LT(surface.size(), static_cast<size_t>(silicon));
    // Only atoms near a face of the block lack a bond (a bond reaches 0.35 vertically
    // and 0.495 horizontally).
    for (const Point &p : surface) {
        const bool nearFace = p[0] < 0.5f || p[0] > 7.5f || p[1] < 0.5f || p[1] > 7.5f || p[2] < 0.35f || p[2] > 5.65f;
        EXPECT_TRUE(nearFace) << p[0] << " " << p[1] << " " << p[2];
        EXPECT_GE(p[0], 0.0f);
        EXPECT_LT(p[0], 8.0f);
        EXPECT_GE(p[2], 0.0f);
        EXPECT_LT(p[2], 6.0f);
    }
    // The top (100) face shows atoms with two bonds (green), its top monolayer all of them.
    const auto &green = view(v).atoms(SiLatticeRenderer::Green);
    ASSERT_FALSE(green.empty());
    float top = 0.0f;
    for (const Point &p : surface)
        top = std::max(top, p[2]);
    for (const Point &p : surface) {
        if (p[2] == top && p[0] > 1 && p[0] < 7 && p[1] > 1 && p[1] < 7) {
            EXPECT_NE(std::find(green.begin(), green.end(), p), green.end());
        }
    }

    // Links off, cells off: nothing else is listed.
    EXPECT_TRUE(view(v).linkVertices().empty());
    EXPECT_TRUE(view(v).outlineVertices().empty());
    EXPECT_TRUE(view(v).unitCellVertices().empty());
}

// Atoms in an oxide cell are fixed and drawn yellow; they cap the silicon below them.
TEST_F(SiLatticeRendererTest, FixedAtomsAreYellow)
{
    const auto v = FilmTest::makeVolume(6, 6, 8, [](uint32_t, uint32_t, uint32_t z) {
        return z < 5 ? 1u : (z == 5 ? 3u : 0u);
    });
    v->createLattice();
    v->getPainter()->setRenderAtoms(true);
    v->getPainter()->regenerate();
    bool oxideAtom = false;
    for (const Point &p : view(v).atoms(SiLatticeRenderer::Yellow))
        oxideAtom = oxideAtom || (p[2] >= 5.0f && p[2] < 6.0f);
    EXPECT_TRUE(oxideAtom);
    for (int c : {SiLatticeRenderer::Orange, SiLatticeRenderer::Blue, SiLatticeRenderer::Green})
        for (const Point &p : view(v).atoms(static_cast<SiLatticeRenderer::AtomColor>(c)))
            EXPECT_LT(p[2], 5.0f);
}

// Positions are relative to the volume: a moved volume lists the same points.
TEST_F(SiLatticeRendererTest, PositionsAreInVolumeCoordinates)
{
    const auto here = block(6, 5, 4);
    const auto there = block(6, 5, 4, Util::Vector3D(120.0, -40.0, 7.0));
    for (const auto &v : {here, there}) {
        v->getPainter()->setRenderAtoms(true);
        v->getPainter()->setRenderAtomLinks(true);
        v->getPainter()->regenerate();
    }
    const std::vector<Point> a = allAtoms(view(here)), b = allAtoms(view(there));
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        EXPECT_LT(distance(a[i], b[i]), 1e-4f) << i;
    ASSERT_EQ(view(here).linkVertices().size(), view(there).linkVertices().size());
}

// The cut box hides atoms, links and cells whose position lies outside it; the planes are
// in cell units, so a volume of larger cells is cut at the same cells.
TEST_F(SiLatticeRendererTest, CutBoxClips)
{
    for (float cellSize : {1.0f, 2.0f}) {
        SCOPED_TRACE(cellSize);
        const auto v = block(8, 8, 6, Util::Vector3D(), cellSize);
        auto *painter = v->getPainter();
        painter->setRenderAtoms(true);
        painter->setRenderAtomLinks(true);
        painter->setRenderUnitCellOutlines(true);
        painter->regenerate();
        const size_t whole = view(v).atomCount();
        const size_t cells = view(v).outlineVertices().size() / 24;
        ASSERT_GT(whole, 0u);

        painter->setCutLimits(CellCorner{0, 0, 0}, CellCorner{4, 8, 6});
        painter->regenerate();
        const std::vector<Point> cut = allAtoms(view(v));
        EXPECT_GT(cut.size(), 0u);
        EXPECT_LT(cut.size(), whole);
        for (const Point &p : cut)
            EXPECT_LE(p[0], 4.0f * cellSize + 1e-4f);
        for (size_t i = 0; i < view(v).linkVertices().size(); i += 2)
            EXPECT_LE(view(v).linkVertices()[i][0], 4.0f * cellSize + 1e-4f);
        EXPECT_LT(view(v).outlineVertices().size() / 24, cells);

        // A box without height (at a height no atom has) holds nothing.
        painter->setCutLimits(CellCorner{0, 0, 3}, CellCorner{8, 8, 3});
        painter->regenerate();
        EXPECT_EQ(view(v).atomCount(), 0u);
        EXPECT_TRUE(view(v).linkVertices().empty());
        EXPECT_TRUE(view(v).outlineVertices().empty());
    }
}

// Links run from a present atom to a present neighbour (a whole bond, sqrt(3) x 0.35
// long) or half-way to an absent or fixed one; each unit cell gives six outline faces
// with edges of the lattice constant and twelve translucent triangles.
TEST_F(SiLatticeRendererTest, LinksAndUnitCells)
{
    const auto v = FilmTest::makeVolume(6, 6, 8, [](uint32_t, uint32_t, uint32_t z) {
        return z < 4 ? 1u : (z == 4 ? 3u : 0u);
    });
    v->createLattice();
    auto *painter = v->getPainter();
    painter->setRenderAtomLinks(true);
    painter->setRenderSurfaceAtomsOnly(false);
    painter->setRenderUnitCellOutlines(true);
    painter->setRenderUnitCells(true);
    painter->regenerate();
    EXPECT_EQ(view(v).atomCount(), 0u); // atoms themselves stay off

    const float bond = std::sqrt(3.0f) * 0.35f;
    const auto &links = view(v).linkVertices();
    ASSERT_FALSE(links.empty());
    ASSERT_EQ(links.size() % 2, 0u);
    size_t whole = 0, half = 0;
    for (size_t i = 0; i < links.size(); i += 2) {
        const float length = distance(links[i], links[i + 1]);
        if (std::abs(length - bond) < 1e-3f)
            ++whole;
        else if (std::abs(length - bond / 2) < 1e-3f)
            ++half;
        else
            ADD_FAILURE() << "link of length " << length;
    }
    EXPECT_GT(whole, 0u);
    EXPECT_GT(half, 0u); // towards the oxide and the empty space at the sides

    // Unit cells whose corner lies outside the volume are clipped like atoms outside it.
    const auto lattice = v->getLattice();
    size_t cells = 0;
    for (size_t c = 0; c < lattice->cellCount(); ++c) {
        const auto &o = lattice->cell(c).origin;
        cells += o[0] > -1e-6f && o[0] < 6 && o[1] > -1e-6f && o[1] < 6 && o[2] > -1e-6f && o[2] < 8;
    }
    ASSERT_GT(cells, 0u);
    EXPECT_LT(cells, lattice->cellCount());
    ASSERT_EQ(view(v).outlineVertices().size(), cells * 24);
    ASSERT_EQ(view(v).unitCellVertices().size(), cells * 36);
    const auto &outline = view(v).outlineVertices();
    for (size_t i = 0; i < outline.size(); ++i)
        EXPECT_NEAR(distance(outline[i], outline[i / 4 * 4 + (i + 1) % 4]), 1.4f, 1e-4f);

    // A volume without silicon has a lattice without cells: nothing to draw.
    const auto oxide = FilmTest::makeVolume(4, 4, 4, [](uint32_t, uint32_t, uint32_t) { return 3u; });
    oxide->createLattice();
    oxide->getPainter()->setRenderAtoms(true);
    oxide->getPainter()->setRenderUnitCells(true);
    oxide->getPainter()->regenerate();
    EXPECT_EQ(view(oxide).atomCount(), 0u);
    EXPECT_TRUE(view(oxide).unitCellVertices().empty());
}

// Cells drawn opaque hide the atoms inside them: only spheres reaching out of the opaque
// solid (out of the volume, or through the cut box) are listed; other drawing modes and
// translucent silicon hide none.
TEST(SiLatticeRenderer, OpaqueCellsHideTheirAtoms)
{
    const SiliconAlpha opaque(1.0f);
    const auto v = block(8, 8, 6);
    auto *painter = v->getPainter();
    painter->setRenderAtoms(true);
    painter->setRenderSurfaceAtomsOnly(false);
    painter->regenerate();
    const size_t shown = view(v).atomCount();
    EXPECT_LT(shown, static_cast<size_t>(siliconAtoms(*v)));
    const float r = SiLatticeRenderer::atomRadius;
    for (const Point &p : allAtoms(view(v))) {
        const bool reachesOut = p[0] < r || p[0] > 8 - r || p[1] < r || p[1] > 8 - r || p[2] < r || p[2] > 6 - r;
        EXPECT_TRUE(reachesOut) << p[0] << " " << p[1] << " " << p[2];
    }

    // Cut at x = 4: atoms reaching through the cut face show.
    painter->setCutLimits(CellCorner{0, 0, 0}, CellCorner{4, 8, 6});
    painter->regenerate();
    bool atCut = false;
    for (const Point &p : allAtoms(view(v)))
        atCut = atCut || (p[0] > 4 - r && p[0] <= 4);
    EXPECT_TRUE(atCut);
    painter->setCutLimits(CellCorner{0, 0, 0}, CellCorner{8, 8, 6});

    // In another drawing mode, or with translucent silicon, every atom is listed.
    painter->setMode(Model::Automaton::SurfaceMode::MarchingCubes);
    painter->regenerate();
    EXPECT_EQ(static_cast<int64_t>(view(v).atomCount()), siliconAtoms(*v));
    painter->setMode(Model::Automaton::SurfaceMode::DirectCubic);
    {
        const SiliconAlpha glass(0.5f);
        painter->regenerate();
        EXPECT_EQ(static_cast<int64_t>(view(v).atomCount()), siliconAtoms(*v));
    }
    painter->regenerate();
    EXPECT_EQ(view(v).atomCount(), shown);
}
