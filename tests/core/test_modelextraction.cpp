// Cantilever extraction: blocks and their links, the beams the rule finds, the netlist
// text, and the operation's scene changes.
#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/blockdecomposition.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace Model::ModelExtraction;
using Model::Automaton::TotalVolume;

namespace {

struct Box
{
    uint32_t x0, y0, z0, x1, y1, z1, material; // [x0, x1) and so on
};

std::shared_ptr<TotalVolume> volumeOf(uint32_t sx, uint32_t sy, uint32_t sz, std::initializer_list<Box> boxes)
{
    std::vector<uint32_t> ids(size_t(sx) * sy * sz, 0);
    for (const Box &b : boxes)
        for (uint32_t x = b.x0; x < b.x1; ++x)
            for (uint32_t y = b.y0; y < b.y1; ++y)
                for (uint32_t z = b.z0; z < b.z1; ++z)
                    ids[(size_t(x) * sy + y) * sz + z] = b.material;
    return std::make_shared<TotalVolume>(sx, sy, sz, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);
}

// Cells of one micrometre.
const CellLengths micrometreCells{1e-6, 1e-6, 1e-6};

std::vector<std::array<int32_t, 7>> beamsOf(TotalVolume &volume)
{
    CantileverModelRule rule(micrometreCells);
    rule.apply(BlockDecomposition::decompose(volume));
    std::vector<std::array<int32_t, 7>> result;
    for (const BlockPtr &b : rule.getBeams())
        result.push_back({b->x, b->y, b->z, b->sizeX, b->sizeY, b->sizeZ, int32_t(b->material)});
    return result;
}

// A silicon anchor (x 0..3, every y and z) with two beams protruding along +x: an oxide
// beam 10 x 2 x 1 at y 1..2, z 2, and a Poly-Si beam 4 x 3 x 2 at y 6..8, z 3..4. The
// Poly-Si beam's end puts a cut at x = 8 that splits the oxide beam in two blocks.
std::shared_ptr<TotalVolume> twoBeams()
{
    return volumeOf(16, 12, 6, {{0, 0, 0, 4, 12, 6, 1}, {4, 1, 2, 14, 3, 3, 3}, {4, 6, 3, 8, 9, 5, 16}});
}

} // namespace

TEST(ModelExtraction, BlocksFollowTheCutGridAndLinkExactlyTheSharedFaces)
{
    auto volume = twoBeams();
    {
        Model::Automaton::VoxelLock lock(*volume);
        const auto cuts = BlockDecomposition::cutPositions(lock.voxels(), 16, 12, 6);
        EXPECT_EQ(cuts.x, (std::vector<int32_t>{4, 8, 14}));
        EXPECT_EQ(cuts.y, (std::vector<int32_t>{1, 3, 6, 9}));
        EXPECT_EQ(cuts.z, (std::vector<int32_t>{2, 3, 5}));
    }
    const BlockList blocks = BlockDecomposition::decompose(*volume);
    // Anchor: 5 y boxes x 4 z boxes; oxide beam: 2 blocks; Poly-Si beam: 1 block.
    ASSERT_EQ(blocks.size(), 23u);
    EXPECT_EQ(blocks.front()->x, 0);
    EXPECT_EQ(blocks.front()->sizeY, 1);
    EXPECT_EQ(blocks.front()->sizeZ, 2);

    // The links equal those of comparing every pair of blocks face by face, on a volume
    // of scattered materials as well.
    std::mt19937 random(7);
    std::vector<uint32_t> ids(9 * 7 * 8);
    for (uint32_t &id : ids)
        id = random() % 5 < 2 ? 0 : 1 + random() % 3;
    TotalVolume scattered(9, 7, 8, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);
    for (const BlockList &list : {blocks, BlockDecomposition::decompose(scattered)}) {
        size_t cells = 0;
        for (const BlockPtr &a : list) {
            cells += size_t(a->sizeX) * a->sizeY * a->sizeZ;
            int count = 0;
            for (int face = 0; face < 6; ++face) {
                const int axis = face / 2;
                const int32_t lowA[3] = {a->x, a->y, a->z}, sizeA[3] = {a->sizeX, a->sizeY, a->sizeZ};
                RectangularCuboidEnvelope *expected = nullptr;
                for (const BlockPtr &b : list) {
                    const int32_t lowB[3] = {b->x, b->y, b->z}, sizeB[3] = {b->sizeX, b->sizeY, b->sizeZ};
                    bool same = face % 2 ? lowA[axis] + sizeA[axis] == lowB[axis] : lowB[axis] + sizeB[axis] == lowA[axis];
                    for (int other = 0; other < 3; ++other)
                        if (other != axis)
                            same = same && lowA[other] == lowB[other] && sizeA[other] == sizeB[other];
                    if (same)
                        expected = b.get();
                }
                EXPECT_EQ(a->neighbour(face), expected);
                count += expected != nullptr;
            }
            EXPECT_EQ(a->getNeighbourCount(), count);
        }
        if (&list == &blocks) {
            EXPECT_EQ(cells, size_t(4 * 12 * 6 + 10 * 2 + 4 * 3 * 2));
        }
    }

    // An empty volume has no blocks and so no beams.
    auto empty = volumeOf(5, 4, 3, {});
    EXPECT_TRUE(BlockDecomposition::decompose(*empty).empty());
    EXPECT_EQ(CantileverModelRule(micrometreCells).apply({}), nullptr);
}

TEST(ModelExtraction, RuleFindsFreeBeamsOnly)
{
    using Beam = std::array<int32_t, 7>;
    // The oxide beam is split at x = 8 by the other beam's end, and still comes out whole.
    auto volume = twoBeams();
    EXPECT_EQ(beamsOf(*volume), (std::vector<Beam>{{4, 1, 2, 10, 2, 1, 3}, {4, 6, 3, 4, 3, 2, 16}}));

    // A beam resting on a post, or carrying something, at its tip is not a cantilever.
    auto resting = volumeOf(16, 6, 6, {{0, 0, 0, 4, 6, 6, 1}, {4, 1, 3, 14, 3, 4, 3}, {12, 1, 0, 14, 3, 3, 4}});
    EXPECT_TRUE(beamsOf(*resting).empty());
    auto loaded = volumeOf(16, 6, 6, {{0, 0, 0, 4, 6, 6, 1}, {4, 1, 3, 14, 3, 4, 3}, {12, 1, 4, 14, 3, 5, 4}});
    EXPECT_TRUE(beamsOf(*loaded).empty());

    // A silicon beam is never a tip; a free floating bar of two materials has a tip at
    // each end, and neither walks into the other material.
    auto siliconBeam = volumeOf(16, 6, 6, {{0, 0, 0, 4, 6, 6, 1}, {4, 1, 3, 14, 3, 4, 1}});
    EXPECT_TRUE(beamsOf(*siliconBeam).empty());
    auto floating = volumeOf(12, 6, 6, {{2, 1, 3, 6, 3, 4, 4}, {6, 1, 3, 9, 3, 4, 5}});
    EXPECT_EQ(beamsOf(*floating), (std::vector<Beam>{{2, 1, 3, 4, 2, 1, 4}, {6, 1, 3, 3, 2, 1, 5}}));
    // Along y the walk adds up the widths in y.
    auto alongY = volumeOf(6, 16, 6, {{0, 0, 0, 6, 4, 6, 1}, {1, 4, 3, 3, 14, 4, 6}, {4, 8, 0, 5, 10, 1, 2}});
    EXPECT_EQ(beamsOf(*alongY), (std::vector<Beam>{{1, 4, 3, 2, 10, 1, 6}}));
}

TEST(ModelExtraction, NetlistOfTwoBeamsInSIUnitsFromTheCatalogue)
{
    auto volume = twoBeams();
    const StructurePtr structure =
        CantileverModelRule(micrometreCells).apply(BlockDecomposition::decompose(*volume));
    ASSERT_NE(structure, nullptr);
    // Effective mass 3 rho w t L / 1.8751041^4 kg, tip compliance L^3 / (3 E w t^3 / 12)
    // m/N, lengths in metres, with the catalogue's constants. Oxide (2200 kg/m^3, 7e10 Pa):
    // L 10, w 2, t 1 um. Poly-Si (2329, 1.88e11): L 4, w 3, t 2 um.
    EXPECT_EQ(structure->netlist(), QString("Model extracted by Kelvane\n"
                                            "c1 1 0 1.06776e-14 \n"
                                            "l1 1 0 0.0285714 \n"
                                            "c2 2 0 1.35644e-14 \n"
                                            "l2 2 0 5.67376e-05 \n"
                                            ".end \n"));

    // A material the catalogue does not know has no density or Young's modulus: no
    // netlist, and the reason names the beam, instead of made-up constants.
    CantileverStructure unknown({std::make_shared<RectangularCuboidEnvelope>(0, 0, 0, 20, 2, 1, 3),
                                 std::make_shared<RectangularCuboidEnvelope>(0, 4, 0, 20, 2, 1, 9999)},
                                micrometreCells);
    EXPECT_TRUE(unknown.netlist().isEmpty());
    EXPECT_EQ(unknown.problem(), "the material (id 9999) of beam 2 is not in the material catalogue");
    EXPECT_TRUE(dynamic_cast<const CantileverStructure &>(*structure).problem().isEmpty());

    // Length and width follow the longer and shorter side in metres, not in cells.
    const RectangularCuboidEnvelope flat(0, 0, 0, 10, 4, 2, 3);
    const CantileverStructure::BeamSize size = CantileverStructure::beamSize(flat, {1e-6, 5e-6, 0.5e-6});
    EXPECT_DOUBLE_EQ(size.length, 20e-6);
    EXPECT_DOUBLE_EQ(size.width, 10e-6);
    EXPECT_DOUBLE_EQ(size.thickness, 1e-6);
}

TEST(ModelExtraction, ResonanceOfTheNetlistIsTheBeamsFirstBendingMode)
{
    // Cells of 0.5 x 0.25 x 0.25 model units at 2 um per unit: 1 x 0.5 x 0.5 um. A Poly-Si
    // beam of 40 x 8 x 4 cells (40 x 4 x 2 um) and an oxide beam of 24 x 12 x 4 cells
    // (24 x 6 x 2 um), both from a silicon anchor.
    std::vector<uint32_t> ids(size_t(50) * 40 * 10, 0);
    auto fill = [&](Box b) {
        for (uint32_t x = b.x0; x < b.x1; ++x)
            for (uint32_t y = b.y0; y < b.y1; ++y)
                for (uint32_t z = b.z0; z < b.z1; ++z)
                    ids[(size_t(x) * 40 + y) * 10 + z] = b.material;
    };
    fill({0, 0, 0, 4, 40, 10, 1});
    fill({4, 4, 4, 44, 12, 8, 16});
    fill({4, 20, 4, 28, 32, 8, 3});
    TotalVolume volume(50, 40, 10, 0.5f, 0.25f, 0.25f, Util::Vector3D(), ids);
    const StructurePtr structure =
        CantileverModelRule(CellLengths::of(volume, 2.0)).apply(BlockDecomposition::decompose(volume));
    ASSERT_NE(structure, nullptr);
    const QStringList lines = structure->netlist().split('\n');
    ASSERT_EQ(lines.size(), 7) << structure->netlist().toStdString();

    // Euler-Bernoulli: f1 = 1.875104^2 / (2 pi) sqrt(E I / (rho A L^4)), I = w t^3 / 12.
    struct Expected
    {
        double length, width, thickness, density, youngModulus;
    };
    const Expected beams[] = {{40e-6, 4e-6, 2e-6, 2329, 1.88e11}, {24e-6, 6e-6, 2e-6, 2200, 7e10}};
    for (int i = 0; i < 2; ++i) {
        const Expected &b = beams[i];
        const double inertia = b.width * std::pow(b.thickness, 3) / 12;
        const double area = b.width * b.thickness;
        const double f1 = std::pow(1.875104, 2) / (2 * M_PI) *
                          std::sqrt(b.youngModulus * inertia / (b.density * area * std::pow(b.length, 4)));
        const QStringList c = lines[1 + 2 * i].split(' '), l = lines[2 + 2 * i].split(' ');
        ASSERT_EQ(c.size(), 5);
        ASSERT_EQ(l.size(), 5);
        EXPECT_EQ(c[0], QString("c%1").arg(i + 1));
        EXPECT_EQ(l[0], QString("l%1").arg(i + 1));
        const double resonance = 1 / (2 * M_PI * std::sqrt(c[3].toDouble() * l[3].toDouble()));
        EXPECT_NEAR(resonance / f1, 1.0, 0.05) << "beam " << i + 1 << ": " << resonance << " Hz, f1 " << f1 << " Hz";
        // The mass chosen makes it the first mode itself, up to the six digits written.
        EXPECT_NEAR(resonance / f1, 1.0, 1e-5) << "beam " << i + 1;
    }
}

TEST(ModelExtraction, OperationShowsBlocksThenBeamsAndRestoresTheScene)
{
    using Core::Operations::RunModelExtraction;
    OperationTest::OperationHarness h;
    auto volume = twoBeams();
    h.context.scene.add(volume);
    std::shared_ptr<RunModelExtraction> op;
    h.factory->make = [&] {
        op = std::make_shared<RunModelExtraction>(h.context);
        op->setOptionsObserver(std::make_shared<OperationTest::Options>([] {}));
        return op;
    };
    h.context.activate(1);
    EXPECT_EQ(op->getStep(), 1);
    EXPECT_EQ(h.log->lines, std::vector<std::string>{"Model Extraction: Cell volume selected."});
    EXPECT_TRUE(op->netlist().isEmpty());

    op->preprocess();
    EXPECT_TRUE(volume->getPainter()->isHidden());
    ASSERT_NE(op->getBlockModel(), nullptr);
    EXPECT_EQ(op->getBlockModel()->getType(), Model::ObjectKind::ExtractedModel);
    EXPECT_EQ(op->getBlockModel()->getBlocks().size(), 23u);
    op->detectFeatures();
    ASSERT_NE(op->getBeamModel(), nullptr);
    EXPECT_EQ(op->getBeamModel()->getBlocks().size(), 2u);
    EXPECT_FLOAT_EQ(op->getBeamModel()->getDisplacement()[0], 26.0f);
    EXPECT_EQ(h.context.scene.objects().size(), 3u);
    EXPECT_EQ(op->getMicrometresPerUnit(), 1.0);
    EXPECT_TRUE(op->netlist().startsWith("Model extracted by Kelvane\nc1 1 0 1.06776e-14 \nl1 1 0 0.0285714 \n"));
    EXPECT_TRUE(op->netlistProblem().isEmpty());
    // At 2 um per unit every size doubles: the mass grows 8 times, the compliance
    // L^3 / (w t^3) halves. Values that are not a length are refused and change nothing.
    EXPECT_TRUE(op->setMicrometresPerUnit(2.0));
    for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL})
        EXPECT_FALSE(op->setMicrometresPerUnit(bad)) << bad;
    EXPECT_EQ(op->getMicrometresPerUnit(), 2.0);
    EXPECT_TRUE(op->netlist().startsWith("Model extracted by Kelvane\nc1 1 0 8.54206e-14 \nl1 1 0 0.0142857 \n"));

    op->end();
    EXPECT_EQ(h.log->lines.back(), "Model Extraction: Model extracted.");
    EXPECT_EQ(h.context.scene.objects(), std::vector<Model::ObjectPtr>{volume});
    EXPECT_FALSE(volume->getPainter()->isHidden());
    EXPECT_EQ(h.context.getCurrentOperation(), nullptr);

    // Cancelled after step 1 on an empty volume: no model data, the scene as before.
    auto empty = volumeOf(4, 4, 4, {});
    h.context.scene.remove(volume);
    h.context.scene.add(empty);
    h.context.activate(1);
    op->preprocess();
    op->detectFeatures();
    EXPECT_TRUE(op->getBlockModel()->getBlocks().empty());
    EXPECT_EQ(op->getBeamModel(), nullptr);
    EXPECT_TRUE(op->netlist().isEmpty());
    int closed = 0;
    op->setCloseDialogObserver(std::make_shared<OperationTest::Options>([&] { ++closed; }));
    h.context.cancelCurrentOperation();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(h.log->lines.back(), "Extract Model: Operation canceled.");
    EXPECT_EQ(h.context.scene.objects(), std::vector<Model::ObjectPtr>{empty});
    EXPECT_FALSE(empty->getPainter()->isHidden());
    op->cancel();
    EXPECT_EQ(closed, 1);
}

