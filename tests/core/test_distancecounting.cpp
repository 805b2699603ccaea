#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdeposition.h"
#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetching.h"
#include "Core/Operations/Electrodeposition/electrodeposition.h"
#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdeposition.h"
#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetching.h"
#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordeposition.h"
#include "filmtestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using namespace Core::Operations;
using namespace FilmTest;

namespace {

// The nearest-solid distance of every cell by brute force, for convex solids only.
std::vector<double> nearestSolid(const TotalVolumePtr &v, const std::vector<uint32_t> &ids)
{
    std::vector<double> d(ids.size(), 1e30);
    for (uint32_t x = 0; x < v->getSizeX(); ++x)
        for (uint32_t y = 0; y < v->getSizeY(); ++y)
            for (uint32_t z = 0; z < v->getSizeZ(); ++z)
                for (uint32_t a = 0; a < v->getSizeX(); ++a)
                    for (uint32_t b = 0; b < v->getSizeY(); ++b)
                        for (uint32_t c = 0; c < v->getSizeZ(); ++c)
                            if (ids[v->index(a, b, c)] != 0) {
                                const double dx = double(x) - a, dy = double(y) - b, dz = double(z) - c;
                                d[v->index(x, y, z)] = std::min(d[v->index(x, y, z)], std::sqrt(dx * dx + dy * dy + dz * dz));
                            }
    return d;
}

struct CellState
{
    std::vector<uint32_t> ids;
    std::vector<float> distances;
    bool operator==(const CellState &o) const { return ids == o.ids && distances == o.distances; }
};

CellState state(const TotalVolumePtr &v)
{
    CellState s;
    Model::Automaton::VoxelLock cells(*v);
    for (size_t i = 0; i < v->getCellCount(); ++i) {
        s.ids.push_back(cells[i].getMaterialId());
        s.distances.push_back(cells[i].getDistanceX());
        s.distances.push_back(cells[i].getDistanceY());
        s.distances.push_back(cells[i].getDistanceZ());
    }
    return s;
}

} // namespace

TEST(DistanceCounting, SlicingAndStepCounts)
{
    {
        // Slices of one layer or more: 10 layers over 8 threads, the first two of 2.
        PoolThreads threads(8);
        auto volume = makeVolume(10, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 0u; });
        IsotropicFilmDeposition automaton(volume.get(), 3, 1.0f);
        ASSERT_EQ(automaton.getSliceCount(), 8);
        EXPECT_EQ(automaton.sliceLast(1), 4u);
        EXPECT_EQ(automaton.sliceFirst(7), 9u);
        EXPECT_EQ(automaton.sliceLast(7), 10u);
        EXPECT_EQ(automaton.sliceOf(3), 1);
        EXPECT_EQ(automaton.sliceOf(8), 6);

        // Fewer layers than threads: one slice.
        auto narrow = makeVolume(5, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 0u; });
        IsotropicFilmDeposition one(narrow.get(), 3, 1.0f);
        ASSERT_EQ(one.getSliceCount(), 1);
        EXPECT_EQ(one.sliceLast(0), 5u);
    }

    EXPECT_DOUBLE_EQ(AbstractDistanceCountingAutomatonBase::stepFactor, 1.7071067811865475);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionStepCount(10.0f, 1.0f), 17);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionStepCount(2.0f, 1.0f), 3);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionStepCount(2.5f, 1.0f), 5); // ceil 3
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionStepCount(1.0f, 0.5f), 3);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionStepCount(0.0f, 1.0f), 0);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::etchingStepCount(10.0f, 1.0f), 18);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::etchingStepCount(2.0f, 1.0f), 4);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::etchingStepCount(0.0f, 1.0f), 0);

    // Ratio 0.5 doubles the lateral cell size; ratio 0 makes it 2 T.
    auto volume = makeVolume(4, 4, 4, [](uint32_t, uint32_t, uint32_t) { return 0u; });
    AnisotropicFilmDeposition half(volume.get(), 3, 10.0f, 0.5f);
    EXPECT_FLOAT_EQ(half.getCellSizeX(), 2.0f);
    EXPECT_FLOAT_EQ(half.getCellSizeZ(), 1.0f);
    // Depositions run until their fronts die out; none at all for a thickness of 0.
    const int64_t unlimited = std::numeric_limits<int64_t>::max();
    EXPECT_EQ(half.stepCount(), unlimited);
    EXPECT_EQ(AnisotropicFilmDeposition(volume.get(), 3, 0.0f, 0.5f).stepCount(), 0);
    AnisotropicFilmEtching flat(volume.get(), 1, 3.0f, 0.0f);
    EXPECT_FLOAT_EQ(flat.getCellSizeY(), 6.0f);
    AnisotropicFilmDeposition wide(volume.get(), 3, 1.0f, 2.0f);
    EXPECT_EQ(wide.stepCount(), unlimited);
    EXPECT_EQ(AnisotropicFilmEtching(volume.get(), 1, 1.0f, 2.0f).stepCount(), 3); // m = 0.5
}

TEST(DistanceCounting, IsotropicDepositionOfTwoAroundAOneLayerSubstrate)
{
    // One layer of silicon at z = 3 covering x <= 4 across the whole width.
    auto volume = makeVolume(10, 3, 7, [](uint32_t x, uint32_t, uint32_t z) { return z == 3 && x <= 4 ? 1u : 0u; });
    IsotropicFilmDeposition automaton(volume.get(), 3, 2.0f);
    automaton.simulate();
    // Two steps reach every cell, the third finds nothing left to change.
    EXPECT_EQ(automaton.getStepsRun(), 3);
    const std::vector<uint32_t> ids = volume->materialIds();
    for (uint32_t x = 0; x < 10; ++x)
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t z = 0; z < 7; ++z) {
                const int dz = std::abs(int(z) - 3);
                uint32_t expected = 0;
                if (z == 3 && x <= 4)
                    expected = 1;
                else if (x <= 4 && dz <= 2)
                    expected = 3; // the two layers above and below
                else if (z == 3 && x <= 6)
                    expected = 3; // beside the edge, 1 and 2 away
                else if (x == 5 && dz == 1)
                    expected = 3; // diagonal, sqrt 2 away; sqrt 5 is too far
                EXPECT_EQ(at(volume, ids, x, y, z), expected) << x << " " << y << " " << z;
            }

    // A convex corner: every empty cell within 2 of the block is filled, no other.
    auto corner = makeVolume(9, 9, 8, [](uint32_t x, uint32_t y, uint32_t z) { return x <= 3 && y <= 3 && z <= 3 ? 1u : 0u; });
    const std::vector<double> distance = nearestSolid(corner, corner->materialIds());
    IsotropicFilmDeposition(corner.get(), 4, 2.0f).simulate();
    const std::vector<uint32_t> after = corner->materialIds();
    for (size_t i = 0; i < after.size(); ++i) {
        const uint32_t expected = distance[i] == 0.0 ? 1 : (distance[i] <= 2.0 ? 4 : 0);
        EXPECT_EQ(after[i], expected) << i;
    }
    EXPECT_EQ(after[corner->index(4, 4, 4)], 4u);  // sqrt 3
    EXPECT_EQ(after[corner->index(5, 4, 4)], 0u);  // sqrt 6
}

TEST(DistanceCounting, AnisotropicRatioScalesTheLateralReach)
{
    // Ratio 0: a pillar hanging in space grows only above and below.
    auto pillar = makeVolume(9, 9, 9, [](uint32_t x, uint32_t y, uint32_t z) { return x == 4 && y == 4 && z >= 2 && z <= 5 ? 1u : 0u; });
    AnisotropicFilmDeposition(pillar.get(), 3, 2.0f, 0.0f).simulate();
    std::vector<uint32_t> ids = pillar->materialIds();
    EXPECT_EQ(count(ids, 3), 4u);
    for (uint32_t z : {0u, 1u, 6u, 7u})
        EXPECT_EQ(at(pillar, ids, 4, 4, z), 3u) << z;
    EXPECT_EQ(at(pillar, ids, 4, 4, 8), 0u);

    // Ratio 0 on a floor with a wall: nothing beside the wall above the film.
    auto wall = makeVolume(9, 3, 9, [](uint32_t x, uint32_t, uint32_t z) { return z == 0 || (x == 4 && z <= 5) ? 1u : 0u; });
    AnisotropicFilmDeposition(wall.get(), 3, 2.0f, 0.0f).simulate();
    ids = wall->materialIds();
    EXPECT_EQ(count(ids, 3), 8u * 3 * 2 + 3 * 2);
    EXPECT_EQ(at(wall, ids, 3, 1, 3), 0u);
    EXPECT_EQ(at(wall, ids, 5, 1, 5), 0u);
    EXPECT_EQ(at(wall, ids, 3, 1, 2), 3u);
    EXPECT_EQ(at(wall, ids, 4, 1, 7), 3u);

    // Ratio 0.5 halves the lateral reach: 4 units reach 2 cells sideways.
    auto plane = [] { return makeVolume(12, 3, 3, [](uint32_t x, uint32_t, uint32_t) { return x == 5 ? 1u : 0u; }); };
    auto halved = plane();
    AnisotropicFilmDeposition(halved.get(), 3, 4.0f, 0.5f).simulate();
    ids = halved->materialIds();
    for (uint32_t x = 0; x < 12; ++x) {
        const uint32_t expected = x == 5 ? 1 : (x >= 3 && x <= 7 ? 3 : 0);
        EXPECT_EQ(at(halved, ids, x, 1, 1), expected) << x;
    }

    // Ratio 1 is isotropic deposition.
    auto a = randomScene(16, 12, 14, 11);
    auto b = randomScene(16, 12, 14, 11);
    ASSERT_EQ(a->materialIds(), b->materialIds());
    IsotropicFilmDeposition(a.get(), 5, 3.5f).simulate();
    AnisotropicFilmDeposition(b.get(), 5, 3.5f, 1.0f).simulate();
    EXPECT_EQ(a->materialIds(), b->materialIds());
    EXPECT_GT(count(a->materialIds(), 5), 100u);
}

TEST(DistanceCounting, PhysicalVapourDepositionStartsOnlyFromExposedFaces)
{
    // A plate two cells thick at z = 4, 5, hanging across the whole volume.
    auto plate = [] { return makeVolume(6, 4, 10, [](uint32_t, uint32_t, uint32_t z) { return z == 4 || z == 5 ? 1u : 0u; }); };
    const auto layerOf = [](const TotalVolumePtr &v, uint32_t z) {
        const std::vector<uint32_t> ids = v->materialIds();
        uint32_t m = at(v, ids, 0, 0, z);
        for (uint32_t x = 0; x < 6; ++x)
            for (uint32_t y = 0; y < 4; ++y)
                if (at(v, ids, x, y, z) != m)
                    return 99u;
        return m;
    };
    const uint32_t top[] = {0, 0, 0, 0, 1, 1, 6, 6, 0, 0};
    const uint32_t bottom[] = {0, 0, 6, 6, 1, 1, 0, 0, 0, 0};
    const uint32_t both[] = {0, 0, 6, 6, 1, 1, 6, 6, 0, 0};
    for (const DepositOn side : depositOnSides) {
        auto v = plate();
        SimplePhysicalVaporDeposition(v.get(), 6, 2.0f, 1.0f, side).simulate();
        const uint32_t *expected = side == DepositOn::Top ? top : (side == DepositOn::Bottom ? bottom : both);
        for (uint32_t z = 0; z < 10; ++z)
            EXPECT_EQ(layerOf(v, z), expected[z]) << "side " << static_cast<int>(side) << " z " << z;
    }

    // A layer in the top layer of the volume has no open top face.
    auto ceiling = makeVolume(5, 5, 4, [](uint32_t, uint32_t, uint32_t z) { return z == 3 ? 1u : 0u; });
    const std::vector<uint32_t> before = ceiling->materialIds();
    SimplePhysicalVaporDeposition(ceiling.get(), 6, 2.0f, 1.0f, DepositOn::Top).simulate();
    EXPECT_EQ(ceiling->materialIds(), before);
    SimplePhysicalVaporDeposition(ceiling.get(), 6, 1.0f, 1.0f, DepositOn::Bottom).simulate();
    EXPECT_EQ(count(ceiling->materialIds(), 6), 25u);
}

TEST(DistanceCounting, EtchingRemovesOnlyTheEtchedMaterialWithinTheDepth)
{
    // Silicon up to z = 5 with a cell of mask material on top.
    auto block = [] {
        return makeVolume(8, 8, 10, [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
            if (x == 3 && y == 3 && z == 5)
                return 3;
            return z <= 5 ? 1 : 0;
        });
    };
    auto v = block();
    const std::vector<uint32_t> before = v->materialIds();
    IsotropicFilmEtching(v.get(), 1, 0.0f).simulate();
    EXPECT_EQ(v->materialIds(), before);

    IsotropicFilmEtching(v.get(), 1, 2.0f).simulate();
    std::vector<uint32_t> ids = v->materialIds();
    EXPECT_EQ(at(v, ids, 0, 0, 5), 0u);
    EXPECT_EQ(at(v, ids, 0, 0, 4), 0u);
    EXPECT_EQ(at(v, ids, 0, 0, 3), 1u);
    EXPECT_EQ(at(v, ids, 3, 3, 5), 3u); // the mask stays
    EXPECT_EQ(at(v, ids, 3, 3, 4), 1u); // sqrt 5 around the mask is too far
    EXPECT_EQ(at(v, ids, 2, 3, 4), 0u);
    EXPECT_EQ(count(ids, 1), 8u * 8 * 4 + 1);

    // Anisotropic: a side wall etched 4 units at ratio 0.5 loses 2 cells, isotropic 4.
    auto wall = [] { return makeVolume(12, 3, 3, [](uint32_t x, uint32_t, uint32_t) { return x >= 2 ? 1u : 0u; }); };
    auto aniso = wall();
    AnisotropicFilmEtching(aniso.get(), 1, 4.0f, 0.5f).simulate();
    auto iso = wall();
    IsotropicFilmEtching(iso.get(), 1, 4.0f).simulate();
    ids = aniso->materialIds();
    const std::vector<uint32_t> isoIds = iso->materialIds();
    for (uint32_t x = 0; x < 12; ++x) {
        EXPECT_EQ(at(aniso, ids, x, 1, 1), x >= 4 ? 1u : 0u) << x;
        EXPECT_EQ(at(iso, isoIds, x, 1, 1), x >= 6 ? 1u : 0u) << x;
    }

    // The etch starts only at etched cells that also touch something solid: a lone cell
    // with nothing but empty neighbours stays, the same cell on a base of 3 goes.
    auto lone = makeVolume(5, 5, 5, [](uint32_t x, uint32_t y, uint32_t z) { return x == 2 && y == 2 && z == 2 ? 1u : 0u; });
    AnisotropicFilmEtching(lone.get(), 1, 1.0f, 0.5f).simulate();
    EXPECT_EQ(count(lone->materialIds(), 1), 1u);
    auto standing = makeVolume(5, 5, 5, [](uint32_t x, uint32_t y, uint32_t z) {
        return x == 2 && y == 2 && z == 2 ? 1u : (z == 1 ? 3u : 0u);
    });
    AnisotropicFilmEtching(standing.get(), 1, 1.0f, 0.5f).simulate();
    EXPECT_EQ(count(standing->materialIds(), 1), 0u);

    // Another material is not etched.
    auto other = block();
    AnisotropicFilmEtching(other.get(), 3, 5.0f, 1.0f).simulate();
    ids = other->materialIds();
    EXPECT_EQ(count(ids, 1), count(before, 1));
    EXPECT_EQ(count(ids, 3), 0u);
}

TEST(DistanceCounting, ElectroplatingGrowsFromTheConductorOnly)
{
    // Conductor (5) cube at 1..5 with a closed void in its centre, on a slab of 7.
    const auto scene = [](bool withConductor) {
        return makeVolume(9, 9, 9, [withConductor](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
            if (z == 0)
                return 7;
            const bool cube = x >= 1 && x <= 5 && y >= 1 && y <= 5 && z >= 1 && z <= 5;
            if (!cube || (x == 3 && y == 3 && z == 3))
                return 0;
            return withConductor ? 5 : 7;
        });
    };
    auto bare = scene(false);
    const std::vector<uint32_t> before = bare->materialIds();
    Electrodeposition(bare.get(), 6, 5, 3.0f).simulate();
    EXPECT_EQ(bare->materialIds(), before);

    auto v = scene(true);
    Electrodeposition(v.get(), 6, 5, 1.0f).simulate();
    const std::vector<uint32_t> ids = v->materialIds();
    EXPECT_EQ(at(v, ids, 3, 3, 3), 0u);              // the void the conductor encloses stays empty
    EXPECT_EQ(count(ids, 6), 5u * 25);               // five open faces
    EXPECT_EQ(count(ids, 7), 81u);                   // the slab never changes nor grows
    EXPECT_EQ(at(v, ids, 7, 7, 1), 0u);              // above the slab, far from the conductor
    EXPECT_EQ(at(v, ids, 6, 6, 3), 0u);              // diagonal to an edge, sqrt 2
}

TEST(DistanceCounting, CellsDoNotDependOnTheThreadCount)
{
    using Run = std::function<void(TotalVolume *)>;
    const std::vector<std::pair<const char *, Run>> runs = {
        {"isotropic deposition", [](TotalVolume *v) { IsotropicFilmDeposition(v, 4, 3.3f).simulate(); }},
        {"isotropic etching", [](TotalVolume *v) { IsotropicFilmEtching(v, 1, 2.6f).simulate(); }},
        {"electroplating", [](TotalVolume *v) { Electrodeposition(v, 6, 1, 2.2f).simulate(); }},
        {"anisotropic deposition", [](TotalVolume *v) { AnisotropicFilmDeposition(v, 4, 3.0f, 0.4f).simulate(); }},
        {"anisotropic etching", [](TotalVolume *v) { AnisotropicFilmEtching(v, 1, 3.0f, 0.7f).simulate(); }},
        {"physical vapour deposition", [](TotalVolume *v) { SimplePhysicalVaporDeposition(v, 4, 2.5f, 0.6f, DepositOn::Both).simulate(); }},
    };
    for (const auto &run : runs) {
        std::vector<CellState> results;
        for (int threads : {1, 2, 7}) {
            PoolThreads pool(threads);
            auto volume = randomScene(29, 13, 17, 5);
            run.second(volume.get());
            results.push_back(state(volume));
        }
        EXPECT_TRUE(results[0] == results[1]) << run.first;
        EXPECT_TRUE(results[0] == results[2]) << run.first;
        EXPECT_NE(results[0].ids, randomScene(29, 13, 17, 5)->materialIds()) << run.first;
    }
}

TEST(DistanceCounting, DepositionFillsConvexCornersToTheFullThickness)
{
    // A 6 x 6 x 6 solid cube in empty space. The film is every empty cell whose centre
    // lies within the thickness of some solid cell's centre, the cube's corners included.
    using Deposit = std::function<void(TotalVolume *, float)>;
    const std::vector<std::pair<const char *, Deposit>> runs = {
        {"isotropic deposition", [](TotalVolume *v, float t) { IsotropicFilmDeposition(v, 4, t).simulate(); }},
        {"electroplating", [](TotalVolume *v, float t) { Electrodeposition(v, 4, 1, t).simulate(); }},
        {"anisotropic deposition", [](TotalVolume *v, float t) { AnisotropicFilmDeposition(v, 4, t, 1.0f).simulate(); }},
    };
    for (const int thickness : {7, 21}) {
        const uint32_t lo = uint32_t(thickness) + 1, hi = lo + 5, size = hi + uint32_t(thickness) + 2;
        auto inCube = [=](uint32_t c) { return c >= lo && c <= hi; };
        auto gap = [=](uint32_t c) -> int64_t { return c < lo ? int64_t(lo - c) : c > hi ? int64_t(c - hi) : 0; };
        for (const auto &run : runs) {
            if (thickness == 21 && std::string(run.first) != "isotropic deposition")
                continue; // the engine is shared; one large case is enough
            auto volume = makeVolume(size, size, size, [&](uint32_t x, uint32_t y, uint32_t z) {
                return inCube(x) && inCube(y) && inCube(z) ? 1u : 0u;
            });
            run.second(volume.get(), float(thickness));
            const std::vector<uint32_t> ids = volume->materialIds();
            size_t wrong = 0;
            for (uint32_t x = 0; x < size; ++x)
                for (uint32_t y = 0; y < size; ++y)
                    for (uint32_t z = 0; z < size; ++z) {
                        if (inCube(x) && inCube(y) && inCube(z))
                            continue;
                        const int64_t d2 = gap(x) * gap(x) + gap(y) * gap(y) + gap(z) * gap(z);
                        const uint32_t expected = d2 <= int64_t(thickness) * thickness ? 4u : 0u;
                        if (ids[volume->index(x, y, z)] != expected && wrong++ < 5)
                            ADD_FAILURE() << run.first << " thickness " << thickness << " cell " << x << ", "
                                          << y << ", " << z << " holds " << ids[volume->index(x, y, z)];
                    }
            EXPECT_EQ(wrong, 0u) << run.first << " thickness " << thickness;
        }
    }
}
