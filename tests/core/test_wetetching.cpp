#include "Core/Operations/AtomisticWetEtching/atomisticwetetch.h"
#include "Core/Operations/ContinuousWetEtching/continuouswetetch.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/silattice.h"
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

using namespace Core::Operations;
using namespace FilmTest;
using Model::Automaton::AtomAbsent;
using Model::Automaton::AtomPresent;
using Model::Automaton::SiLattice;

namespace {


void etch(const TotalVolumePtr &volume, double depth)
{
    AtomisticWetEtch(volume.get(), depth).run();
}

// Silicon below `top`, an oxide mask at z = top with an opening [x0, x1) x [y0, y1),
// empty above it.
TotalVolumePtr maskedSubstrate(uint32_t sx, uint32_t sy, uint32_t sz, uint32_t top, uint32_t x0, uint32_t x1,
                               uint32_t y0, uint32_t y1)
{
    return makeVolume(sx, sy, sz, [=](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (z < top)
            return 1;
        if (z == top && !(x >= x0 && x < x1 && y >= y0 && y < y1))
            return 3;
        return 0;
    });
}

// Empty cells from the top of the silicon (z = top - 1) down in column (x, y).
uint32_t pitDepth(const TotalVolumePtr &v, const std::vector<uint32_t> &ids, uint32_t x, uint32_t y, uint32_t top)
{
    uint32_t d = 0;
    while (d < top && at(v, ids, x, y, top - 1 - d) == 0)
        ++d;
    return d;
}

} // namespace

TEST(AtomisticWetEtch, StepCounts)
{
    EXPECT_EQ(AtomisticWetEtch::stepsForDepth(10.0), 29); // 28.57 rounds up
    EXPECT_EQ(AtomisticWetEtch::stepsForDepth(1.4), 4);
    EXPECT_EQ(AtomisticWetEtch::stepsForDepth(0.1), 0);
    EXPECT_EQ(AtomisticWetEtch::stepsForDepth(-3.0), 0);

    // A substrate wide and deep enough to etch all the way runs every step (the rim
    // holds like a mask edge, so the etched area narrows along (111) planes below it);
    // 0.1 and a negative depth change nothing.
    const auto rule = [](uint32_t, uint32_t, uint32_t z) { return z < 14 ? 1u : 0u; };
    const auto deep = makeVolume(16, 16, 16, rule);
    AtomisticWetEtch bca(deep.get(), 10.0);
    bca.run();
    EXPECT_EQ(bca.stepsRun(), 29);
    for (double depth : {0.1, -2.0}) {
        const auto v = makeVolume(4, 4, 16, rule);
        const std::vector<uint32_t> before = v->materialIds();
        AtomisticWetEtch none(v.get(), depth);
        none.run();
        EXPECT_EQ(none.stepsRun(), 0);
        EXPECT_EQ(v->materialIds(), before);
    }
}

// Every height, 7 included (whose top sites lie exactly on a cell face), loses its top
// cell layer after 1.4 length units, and only that layer.
TEST(AtomisticWetEtch, FlatSubstratesLoseTheirTopCellLayer)
{
    for (uint32_t height = 4; height <= 15; ++height) {
        SCOPED_TRACE(height);
        const auto v = makeVolume(6, 6, height + 3, [=](uint32_t, uint32_t, uint32_t z) { return z < height ? 1u : 0u; });
        etch(v, 1.4);
        const std::vector<uint32_t> ids = v->materialIds();
        for (uint32_t x = 1; x < 5; ++x)
            for (uint32_t y = 1; y < 5; ++y) {
                EXPECT_EQ(at(v, ids, x, y, height - 1), 0u) << x << "," << y;
                EXPECT_EQ(at(v, ids, x, y, height - 2), 1u) << x << "," << y;
            }
    }
}

// One monolayer (0.35) per step: after k one-step etches, each continuing on the same
// lattice, exactly the atoms within 0.35 k of the top are gone (away from the rim), and
// every cell all of whose atoms lay there is empty.
TEST(AtomisticWetEtch, FlatSurfaceLosesOneMonolayerPerStep)
{
    const auto v = makeVolume(7, 7, 12, [](uint32_t, uint32_t, uint32_t z) { return z < 9 ? 1u : 0u; });
    v->createLattice();
    const auto lattice = v->getLattice();
    const float top = 8.75f; // highest monolayer below z = 9
    for (int k = 1; k <= 6; ++k) {
        etch(v, 0.35);
        ASSERT_EQ(v->getLattice(), lattice);
        const std::vector<uint32_t> ids = v->materialIds();
        const std::vector<int32_t> atomsLeft = counts(*v);
        const float cut = top - 0.35f * k + 0.01f;
        std::vector<float> lowest(v->getCellCount(), 100.0f);
        for (uint32_t a = 0; a < lattice->cellAtomCount(); ++a) {
            const auto &atom = lattice->atom(a);
            if (atom.voxelIndex < 0)
                continue;
            const SiLattice::Point p = lattice->atomPosition(a);
            lowest[static_cast<size_t>(atom.voxelIndex)] = std::min(lowest[static_cast<size_t>(atom.voxelIndex)], p[2]);
            if (p[0] < 2.0f || p[1] < 2.0f || p[0] > 5.0f || p[1] > 5.0f || p[2] > 9.0f)
                continue;
            EXPECT_EQ(atom.state, p[2] > cut ? AtomAbsent : AtomPresent) << "step " << k << " z " << p[2];
        }
        for (uint32_t x = 2; x < 5; ++x)
            for (uint32_t y = 2; y < 5; ++y)
                for (uint32_t z = 0; z < 9; ++z) {
                    const size_t cell = v->index(x, y, z);
                    const bool gone = lowest[cell] > cut;
                    EXPECT_EQ(at(v, ids, x, y, z), gone ? 0u : 1u) << k << ": " << x << "," << y << "," << z;
                    EXPECT_EQ(atomsLeft[cell] == 0, gone);
                }
        EXPECT_EQ(at(v, ids, 3, 3, 8), k >= 3 ? 0u : 1u); // 8.05 is the third monolayer
    }
}

// A square opening in an oxide mask, its edges along x and y: the pit is an inverted
// pyramid whose walls are (111) planes at 54.7 degrees from the surface, starting within
// a cell of the mask's edges, with no undercut.
TEST(AtomisticWetEtch, PitWallsStopAtTheSlowPlanes)
{
    const uint32_t top = 10;
    const auto v = maskedSubstrate(20, 20, 13, top, 6, 14, 6, 14);
    etch(v, 10.0);
    const std::vector<uint32_t> ids = v->materialIds();
    const double slope = std::tan(std::acos(1 / std::sqrt(3.0))); // sqrt 2
    uint32_t deepest = 0;
    for (uint32_t x = 0; x < 20; ++x)
        for (uint32_t y = 0; y < 20; ++y) {
            const bool open = x >= 6 && x < 14 && y >= 6 && y < 14;
            const uint32_t d = pitDepth(v, ids, x, y, top);
            if (!open) {
                EXPECT_EQ(d, 0u) << "undercut at " << x << "," << y;
                continue;
            }
            // A cell empties once it lies wholly above the wall, whose highest point over
            // the column is at the column's side nearest the mask edge.
            const double edge = std::min({x - 6.0, 13.0 - x, y - 6.0, 13.0 - y});
            EXPECT_NEAR(double(d), edge * slope, 1.5) << x << "," << y;
            deepest = std::max(deepest, d);
        }
    EXPECT_GE(deepest, 4u);
    EXPECT_LE(deepest, 6u); // the walls meet before the 29 monolayers, at most 4 sqrt 2 down

    // On the atoms: across the middle of the pit, the etched span at each height narrows
    // by 1 / sqrt 2 per unit of depth on both sides, in x and in y.
    const auto lattice = v->getLattice();
    for (int axis = 0; axis < 2; ++axis) {
        std::map<int, std::pair<float, float>> span; // monolayer -> etched extent
        for (uint32_t a = 0; a < lattice->cellAtomCount(); ++a) {
            const SiLattice::Point p = lattice->atomPosition(a);
            if (lattice->atom(a).state != AtomAbsent || lattice->atom(a).voxelIndex < 0 || p[2] > float(top) ||
                std::fabs(p[1 - axis] - 10.0f) > 2.0f)
                continue;
            const int level = int(std::lround(p[2] / 0.35));
            auto it = span.emplace(level, std::make_pair(p[axis], p[axis])).first;
            it->second.first = std::min(it->second.first, p[axis]);
            it->second.second = std::max(it->second.second, p[axis]);
        }
        ASSERT_GE(span.size(), 8u);
        const auto &highest = span.rbegin()->second;
        EXPECT_NEAR(highest.first, 6.0, 1.0);
        EXPECT_NEAR(highest.second, 14.0, 1.3);
        for (const auto &level : span) {
            const double depth = (span.rbegin()->first - level.first) * 0.35;
            EXPECT_NEAR(level.second.first, highest.first + depth / slope, 0.3) << axis << " " << depth;
            EXPECT_NEAR(level.second.second, highest.second - depth / slope, 0.3) << axis << " " << depth;
        }
    }
}

// An opening that reaches the volume's side: the rim stands like a mask, so nothing
// under the mask along the rim is etched.
TEST(AtomisticWetEtch, RimDoesNotEtchSideways)
{
    const uint32_t top = 7;
    const auto v = maskedSubstrate(12, 12, 10, top, 0, 6, 3, 9);
    etch(v, 10.0);
    const std::vector<uint32_t> ids = v->materialIds();
    EXPECT_GT(pitDepth(v, ids, 0, 6, top), 0u);
    for (uint32_t x = 0; x < 12; ++x)
        for (uint32_t y = 0; y < 12; ++y) {
            const bool open = x < 6 && y >= 3 && y < 9;
            if (!open) {
                EXPECT_EQ(pitDepth(v, ids, x, y, top), 0u) << x << "," << y;
            }
        }
    // The rim holds like a mask edge: the pit is no deeper there than inside.
    for (uint32_t y = 3; y < 9; ++y)
        EXPECT_LE(pitDepth(v, ids, 0, y, top), pitDepth(v, ids, 3, y, top)) << y;
}

TEST(AtomisticWetEtch, SameCellsForAnyThreadCount)
{
    const auto scene = [] {
        auto v = randomScene(21, 9, 12, 7);
        // Open the top so the etch has work everywhere.
        Model::Automaton::VoxelLock cells(*v);
        for (uint32_t x = 0; x < 21; ++x)
            for (uint32_t y = 0; y < 9; ++y)
                for (uint32_t z = 9; z < 12; ++z)
                    cells[v->index(x, y, z)].setMaterialId(0);
        return v;
    };
    std::vector<uint32_t> reference;
    std::vector<int32_t> referenceCounts;
    std::vector<uint32_t> continuousReference;
    for (int threads : {1, 2, 7}) {
        SCOPED_TRACE(threads);
        PoolThreads pool(threads);
        auto v = scene();
        AtomisticWetEtch bca(v.get(), 3.0);
        EXPECT_EQ(bca.getSlabCount(), threads);
        bca.run();
        auto c = scene();
        ContinuousWetEtch(c.get(), 5.0).run();
        if (reference.empty()) {
            reference = v->materialIds();
            referenceCounts = counts(*v);
            continuousReference = c->materialIds();
            EXPECT_NE(reference, scene()->materialIds());
            EXPECT_NE(continuousReference, scene()->materialIds());
        } else {
            EXPECT_EQ(v->materialIds(), reference);
            EXPECT_EQ(counts(*v), referenceCounts);
            EXPECT_EQ(c->materialIds(), continuousReference);
        }
    }
    // A volume narrower than the pool is one slab.
    PoolThreads pool(7);
    const auto narrow = makeVolume(5, 5, 6, [](uint32_t, uint32_t, uint32_t z) { return z < 4 ? 1u : 0u; });
    EXPECT_EQ(AtomisticWetEtch(narrow.get(), 1.0).getSlabCount(), 1);
}

namespace {

// The menu operation of the wet etch of list type `batchType` (1 atomistic, 20
// continuous), given `depth` by its dialog.
void runOperation(OperationContext &context, double depth, int32_t batchType = 1)
{
    OperationTest::runDescribedOperation(context, batchType, Core::Processes::ParameterSet{{"Depth", depth}});
}

} // namespace

// The operations rebuild the lattice only when it is stale: consecutive etches continue
// on the same atoms (two half etches equal one whole), while a silicon deposition in
// between forces a rebuild.
TEST(AtomisticWetEtch, OperationsReuseTheLatticeUntilSiliconChanges)
{
    const auto rule = [](uint32_t, uint32_t, uint32_t z) { return z < 8 ? 1u : 0u; };
    const auto whole = makeVolume(6, 6, 12, rule);
    etch(whole, 1.4);

    OperationContext context;
    auto messages = std::make_shared<OperationTest::Log>(context.interpreter);
    context.interpreter.addMessageObserver(messages);
    const auto v = makeVolume(6, 6, 12, rule);
    context.scene.add(v);

    runOperation(context, 0.7);
    const auto first = v->getLattice();
    ASSERT_TRUE(first);
    EXPECT_FALSE(context.latticeStale.at(v->getId()));
    EXPECT_EQ(context.lastProcessByVolume.at(v->getId()), 28);
    EXPECT_EQ(messages->lines.back(), "BCA Wet Etch: Operation finished.");
    EXPECT_EQ(context.history.undoCount(), 0u);

    runOperation(context, 0.7);
    EXPECT_EQ(v->getLattice(), first);
    EXPECT_EQ(v->materialIds(), whole->materialIds());
    EXPECT_EQ(counts(*v), counts(*whole));

    // The continuous etch continues on the same lattice too.
    runOperation(context, 0.5, 20);
    EXPECT_EQ(v->getLattice(), first);
    EXPECT_EQ(context.lastProcessByVolume.at(v->getId()), 29);
    EXPECT_EQ(messages->lines.back(), "Continuous Wet Etch: Operation finished.");

    auto deposition = std::make_shared<Core::Processes::DescribedProcessOperation>(
        context, *Core::Processes::ProcessRegistry::instance().byBatchType(16),
        Core::Processes::ParameterSet{{"Film Thickness", 1.0f}, {"Material", 1u}});
    deposition->execute();
    EXPECT_TRUE(context.latticeStale.at(v->getId()));
    runOperation(context, 0.35);
    EXPECT_NE(v->getLattice(), first);
    EXPECT_FALSE(context.latticeStale.at(v->getId()));

    // Rejecting the options cancels without touching the volume.
    const std::vector<uint32_t> before = v->materialIds();
    auto rejected = std::make_shared<Core::Processes::DescribedProcessOperation>(
        context, *Core::Processes::ProcessRegistry::instance().byBatchType(1));
    rejected->setOptionsObserver(std::make_shared<OperationTest::Options>([] {}));
    rejected->execute();
    EXPECT_EQ(messages->lines.back(), "BCA Wet Etch: Operation canceled.");
    EXPECT_EQ(v->materialIds(), before);
}

// The run lasts depth / r100 of model time, r100 the speed of a free (100) surface under
// the rate table (a monolayer of a / 4 per 1 / rate of its atoms), and the last step is
// cut to end exactly then. Nothing to etch, or a rate of 0, ends the run at once.
TEST(ContinuousWetEtch, DurationAndAZeroRate)
{
    const auto rule = [](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
        if (z < 10)
            return 1;
        return z == 10 && x < 3 ? 3 : 0;
    };
    const double r100 = 0.35 * WetEtchRates::koh().rate(0, 2, 2, 4); // 0.175
    EXPECT_NEAR(r100, 0.175, 1e-6);
    const auto v = makeVolume(8, 6, 13, rule);
    ContinuousWetEtch cca(v.get(), 10.0);
    EXPECT_NEAR(cca.getDuration(), 10.0 / r100, 1e-6 * cca.getDuration()); // a = 1.4 in single precision
    cca.run();
    EXPECT_GT(cca.stepsRun(), 0);
    EXPECT_EQ(cca.elapsedTime(), cca.getDuration());
    EXPECT_NE(v->materialIds(), makeVolume(8, 6, 13, rule)->materialIds());
    for (double none : {0.0, -1.0, std::nan("")})
        EXPECT_EQ(ContinuousWetEtch::durationForDepth(none, WetEtchRates::koh()), 0.0) << none;
    // Under a constant rate every exposed atom, (100) ones too, loses rate x time.
    EXPECT_NEAR(ContinuousWetEtch::durationForDepth(0.7, WetEtchRates::constant(0.25)), 0.7 / (0.35 * 0.25), 1e-6);

    // A rate of zero removes nothing and changes no cell.
    const auto still = makeVolume(8, 6, 13, rule);
    const std::vector<uint32_t> ids = still->materialIds();
    ContinuousWetEtch zero(still.get(), 10.0, WetEtchRates::constant(0.0));
    zero.run();
    EXPECT_EQ(zero.stepsRun(), 0);
    EXPECT_EQ(still->materialIds(), ids);
    const auto lattice = still->getLattice();
    size_t present = 0;
    for (uint32_t a = 0; a < lattice->cellAtomCount(); ++a) {
        present += lattice->atom(a).state == AtomPresent;
        EXPECT_EQ(lattice->atom(a).fill, 1.0f);
    }
    size_t total = 0;
    for (int32_t c : counts(*still))
        total += static_cast<size_t>(c);
    EXPECT_EQ(present, total);
}

namespace {

// Length etched per unit of model time, from the silicon the atoms of `region` lost
// (removed atoms and the used part of the fills), spread over `area`.
double etchedThickness(const SiLattice &lattice, const std::vector<uint32_t> &region, double area)
{
    double atoms = 0;
    for (uint32_t a : region) {
        const auto &atom = lattice.atom(a);
        atoms += atom.state == AtomAbsent ? 1.0 : 1.0 - atom.fill;
    }
    const double atomVolume = 1.4 * 1.4 * 1.4 / 8;
    return atoms * atomVolume / area;
}

std::vector<uint32_t> presentAtoms(const SiLattice &lattice, const std::function<bool(const SiLattice::Point &)> &inside)
{
    std::vector<uint32_t> result;
    for (uint32_t a = 0; a < lattice.cellAtomCount(); ++a)
        if (lattice.atom(a).state == AtomPresent && inside(lattice.atomPosition(a)))
            result.push_back(a);
    return result;
}

} // namespace

// Measured on the lattice, the three principal planes etch at the rates of 30 % KOH at
// 70 degrees C (0.797 : 1.455 : 0.005 um/min for (100) : (110) : (111)), within a
// factor of 2.
TEST(ContinuousWetEtch, PlaneRatesFollowKoh)
{
    // (100): an open flat surface, measured away from the rim.
    const auto flat = makeVolume(8, 8, 14, [](uint32_t, uint32_t, uint32_t z) { return z < 11 ? 1u : 0u; });
    flat->createLattice();
    const auto inFlat = [](const SiLattice::Point &p) { return p[0] > 2 && p[0] < 6 && p[1] > 2 && p[1] < 6; };
    const std::vector<uint32_t> flatAtoms = presentAtoms(*flat->getLattice(), inFlat);
    ContinuousWetEtch e100(flat.get(), 2.0);
    e100.run();
    const double v100 = etchedThickness(*flat->getLattice(), flatAtoms, 16.0) / e100.elapsedTime();

    // (110): the vertical wall y = 7 of a block under a mask, normal along y; a short etch,
    // before the facets growing from the mask's edge and the rim take much of the wall.
    const auto block = makeVolume(9, 12, 9, [](uint32_t, uint32_t y, uint32_t z) -> uint32_t {
        if (y >= 7)
            return 0;
        return z < 7 ? 1 : z == 7 ? 3 : 0;
    });
    block->createLattice();
    const auto inBlock = [](const SiLattice::Point &p) { return p[0] > 2 && p[0] < 7; };
    const std::vector<uint32_t> blockAtoms = presentAtoms(*block->getLattice(), inBlock);
    ContinuousWetEtch e110(block.get(), 0.7);
    e110.run();
    const double v110 = etchedThickness(*block->getLattice(), blockAtoms, 5.0 * 7.0) / e110.elapsedTime();

    // (111): a trench along x through a mask, on a buried oxide. The atomistic etch
    // leaves (111) walls from the mask's edges down to the oxide; the continuous etch
    // then moves them back.
    const uint32_t y0 = 6, y1 = 16;
    const auto trench = makeVolume(9, 22, 11, [=](uint32_t, uint32_t y, uint32_t z) -> uint32_t {
        if (z < 2)
            return 3;
        if (z < 8)
            return 1;
        return z == 8 && (y < y0 || y >= y1) ? 3 : 0;
    });
    etch(trench, 10.0);
    const auto inTrench = [](const SiLattice::Point &p) { return p[0] > 2 && p[0] < 7; };
    const std::vector<uint32_t> trenchAtoms = presentAtoms(*trench->getLattice(), inTrench);
    // A (111) plane goes a bilayer at a time: its top atoms wear down for 1 / r(111), about
    // 735 units of model time, before the atoms under them, then held by one bond, go at
    // once. So its speed shows over several of those times: depth 400 lasts 2286 (the
    // (100) surface would recede 400 in it), three bilayers of the walls.
    ContinuousWetEtch e111(trench.get(), 400.0);
    e111.run();
    // Two walls, each 6 high and so 6 / sin(54.7 degrees) wide, 5 long.
    const double sinWall = std::sqrt(2.0 / 3.0);
    const double v111 = etchedThickness(*trench->getLattice(), trenchAtoms, 2 * 5.0 * 6.0 / sinWall) / e111.elapsedTime();
    const double undercut = v111 / sinWall;

    const double ratio110 = 1.455 / 0.797, ratio111 = 0.005 / 0.797;
    EXPECT_GT(v100, 0.0);
    EXPECT_GT(v110 / v100, ratio110 / 2);
    EXPECT_LT(v110 / v100, ratio110 * 2);
    EXPECT_GT(v111 / v100, ratio111 / 2);
    EXPECT_LT(v111 / v100, ratio111 * 2);
    EXPECT_GT(undercut / v100, ratio111 / 2);
    EXPECT_LT(undercut / v100, ratio111 * 2);
    // One unit of model time is a couple of milliseconds of etching: (100) at 0.797 um/min
    // gives v100 length units (of a / 4 = 0.35 per monolayer) per unit of time.
    const double nmPerUnitLength = 0.5431 / 1.4;
    EXPECT_NEAR(v100 * nmPerUnitLength / ContinuousWetEtch::realSecondsPerModelTime() * 60 / 1000, 0.797, 0.797 / 2);
    std::printf("rates per model time: (100) %.4g  (110) %.4g  (111) %.4g  undercut %.4g  ratios %.3f %.5f\n", v100,
                v110, v111, undercut, v110 / v100, v111 / v100);
}

namespace {

// How far a surface moved into the atoms of a region, monolayer by monolayer: the
// region's atoms (present before the etch) are grouped by their coordinate along `axis`
// into the monolayers of that direction, `spacing` apart; each monolayer's removed share
// (an etched atom counts 1, a partly etched one the used part of its fill) is taken over
// its own atoms. Listed from the highest monolayer down, the side the etch comes from.
std::vector<double> monolayersRemoved(const SiLattice &lattice, const std::vector<uint32_t> &region, int axis,
                                      double spacing)
{
    std::map<long, std::pair<double, int>> layers; // monolayer -> (removed atoms, atoms)
    if (region.empty())
        return {};
    const double origin = lattice.atomPosition(region.front())[axis];
    for (uint32_t a : region) {
        const auto &atom = lattice.atom(a);
        auto &layer = layers[std::lround((lattice.atomPosition(a)[axis] - origin) / spacing)];
        layer.first += atom.state == AtomAbsent ? 1.0 : 1.0 - atom.fill;
        ++layer.second;
    }
    std::vector<double> shares;
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        shares.push_back(it->second.first / it->second.second);
    return shares;
}

double recession(const std::vector<double> &shares, double spacing)
{
    double sum = 0.0;
    for (double share : shares)
        sum += share;
    return sum * spacing;
}

// Monolayer spacings along a cube axis (the volume's z) and along a <110> axis (the
// volume's x and y, the lattice being turned by 45 degrees about z): a / 4 and a sqrt 2 / 4.
const double monolayer100 = 1.4 / 4;
const double monolayer110 = 1.4 * std::sqrt(2.0) / 4;

} // namespace

// The depth is how far a free (100) surface recedes, as the options dialog says: away
// from the volume's rim (which holds like a mask edge) the surface of an open substrate
// goes down by the depth within half a monolayer, one whole monolayer after the other;
// a thin fin of silicon elsewhere in the scene, whose weakly held atoms etch much faster,
// changes nothing; and two etches continue into one.
TEST(ContinuousWetEtch, DepthIsHowFarAFree100SurfaceRecedes)
{
    const uint32_t top = 13;
    const auto open = [=](uint32_t, uint32_t, uint32_t z) { return z < top ? 1u : 0u; };
    const auto withFin = [=](uint32_t x, uint32_t y, uint32_t z) {
        return z < top || (x == 2 && y >= 2 && y < 12 && z < top + 2) ? 1u : 0u;
    };
    // The rim's (111) walls reach 10 / sqrt 2 = 7.1 in from the sides at depth 10.
    const auto window = [](const SiLattice::Point &p) { return p[0] > 9 && p[0] < 17 && p[1] > 9 && p[1] < 17; };
    for (const auto &scene : {std::make_pair("open", MaterialRule(open)), std::make_pair("fin", MaterialRule(withFin))})
        for (double depth : {1.0, 5.0, 10.0}) {
            SCOPED_TRACE(std::string(scene.first) + " depth " + std::to_string(depth));
            const auto v = makeVolume(26, 26, 17, scene.second);
            v->createLattice();
            const std::vector<uint32_t> region = presentAtoms(*v->getLattice(), window);
            ContinuousWetEtch(v.get(), depth).run();
            const std::vector<double> shares = monolayersRemoved(*v->getLattice(), region, 2, monolayer100);
            EXPECT_NEAR(recession(shares, monolayer100), depth, monolayer100 / 2);
            // Flat: the monolayers above the one being etched are gone, those below whole.
            const size_t whole = static_cast<size_t>(depth / monolayer100 + 1e-9);
            ASSERT_GT(shares.size(), whole + 1);
            for (size_t k = 0; k < shares.size(); ++k) {
                if (k != whole) {
                    EXPECT_EQ(shares[k], k < whole ? 1.0 : 0.0) << "monolayer " << k;
                }
            }
        }

    const auto v = makeVolume(26, 26, 17, withFin);
    v->createLattice();
    const std::vector<uint32_t> region = presentAtoms(*v->getLattice(), window);
    ContinuousWetEtch(v.get(), 4.0).run();
    ContinuousWetEtch(v.get(), 6.0).run();
    EXPECT_NEAR(recession(monolayersRemoved(*v->getLattice(), region, 2, monolayer100), monolayer100), 10.0,
                monolayer100 / 2);
}

// The planes keep the speeds of the rate table relative to each other whether they etch
// alone or in one scene: the (110) wall of a masked block and an open (100) floor, each
// measured away from the mask, the rim and the corner where they meet. The ratio is that
// of 30 % KOH at 70 degrees C to which the table is calibrated, 1.455 / 0.797 = 1.83
// (Seidel et al. 1990), within 10 %.
TEST(ContinuousWetEtch, PlaneRatiosAreTheSameAloneAndTogether)
{
    // The block: silicon under an oxide mask at z = 20 for y < 12; its side y = 12 is a
    // vertical (110) plane. The floor: open silicon below z = 5.
    const auto block = [](uint32_t, uint32_t y, uint32_t z) -> uint32_t {
        if (y >= 12)
            return 0;
        return z < 20 ? 1 : z == 20 ? 3 : 0;
    };
    const auto floor = [](uint32_t, uint32_t, uint32_t z) -> uint32_t { return z < 5 ? 1 : 0; };
    const auto both = [=](uint32_t x, uint32_t y, uint32_t z) { return y < 12 ? block(x, y, z) : floor(x, y, z); };
    // Facets grow from the mask's edge, the rim and the foot of the wall at about
    // sqrt 2 times the wall's retreat (2.6 at depth 1.4); the windows keep clear of them.
    const auto onWall = [](const SiLattice::Point &p) { return p[0] > 7 && p[0] < 17 && p[2] > 10 && p[2] < 15; };
    const auto onFloor = [](const SiLattice::Point &p) { return p[0] > 7 && p[0] < 17 && p[1] > 18 && p[1] < 26; };
    const double depth = 1.4;

    // Speed (length per model time) of the wall and of the floor in one scene.
    const auto speeds = [&](const MaterialRule &rule, bool wall, bool flat) {
        const auto v = makeVolume(24, 30, 24, rule);
        v->createLattice();
        const std::vector<uint32_t> wallAtoms = presentAtoms(*v->getLattice(), onWall);
        const std::vector<uint32_t> floorAtoms = presentAtoms(*v->getLattice(), onFloor);
        ContinuousWetEtch etch(v.get(), depth);
        etch.run();
        const double time = etch.elapsedTime();
        std::pair<double, double> result(0.0, 0.0);
        if (wall)
            result.first = recession(monolayersRemoved(*v->getLattice(), wallAtoms, 1, monolayer110), monolayer110) / time;
        if (flat)
            result.second =
                recession(monolayersRemoved(*v->getLattice(), floorAtoms, 2, monolayer100), monolayer100) / time;
        return result;
    };
    const double alone110 = speeds(block, true, false).first;
    const double alone100 = speeds(floor, false, true).second;
    const std::pair<double, double> together = speeds(both, true, true);
    ASSERT_GT(alone100, 0.0);
    ASSERT_GT(together.second, 0.0);
    const double aloneRatio = alone110 / alone100;
    const double togetherRatio = together.first / together.second;
    EXPECT_NEAR(togetherRatio / aloneRatio, 1.0, 0.1) << aloneRatio << " alone, " << togetherRatio << " together";
    const double koh = 1.455 / 0.797;
    EXPECT_NEAR(aloneRatio, koh, 0.1 * koh);
    EXPECT_NEAR(togetherRatio, koh, 0.1 * koh);
    std::printf("(110):(100) alone %.3f (%.4g : %.4g), together %.3f (%.4g : %.4g)\n", aloneRatio, alone110, alone100,
                togetherRatio, together.first, together.second);
}
