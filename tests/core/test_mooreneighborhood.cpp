#include "Core/Operations/MooreNeighborhood/mooreneighborhooddeposition.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetching.h"
#include "filmtestsupport.h"

#include <gtest/gtest.h>

using namespace Core::Operations;
using namespace FilmTest;

namespace {

bool inBlock(uint32_t x, uint32_t y, uint32_t z, uint32_t lo, uint32_t hi)
{
    return x >= lo && x <= hi && y >= lo && y <= hi && z >= lo && z <= hi;
}

} // namespace

TEST(MooreNeighborhood, DepositionDilatesByWholeBlocks)
{
    // One solid cell in free space: 1 iteration fills its 26 neighbours, 2 a 5-block.
    for (int32_t iterations : {1, 2}) {
        auto v = makeVolume(9, 9, 9, [](uint32_t x, uint32_t y, uint32_t z) { return x == 4 && y == 4 && z == 4 ? 1u : 0u; });
        MooreNeighborhoodDeposition(v.get(), 3, iterations).run();
        const std::vector<uint32_t> ids = v->materialIds();
        const uint32_t r = static_cast<uint32_t>(iterations);
        for (uint32_t x = 0; x < 9; ++x)
            for (uint32_t y = 0; y < 9; ++y)
                for (uint32_t z = 0; z < 9; ++z) {
                    const uint32_t expected = x == 4 && y == 4 && z == 4 ? 1 : (inBlock(x, y, z, 4 - r, 4 + r) ? 3 : 0);
                    ASSERT_EQ(at(v, ids, x, y, z), expected) << iterations << ": " << x << y << z;
                }
    }

    // A flat substrate with an edge: the layer above fills completely, also diagonally
    // beyond the edge; 2 iterations fill 2 layers.
    auto flat = makeVolume(8, 4, 6, [](uint32_t x, uint32_t, uint32_t z) { return z <= 1 && x <= 3 ? 1u : 0u; });
    MooreNeighborhoodDeposition(flat.get(), 5, 2).run();
    const std::vector<uint32_t> ids = flat->materialIds();
    for (uint32_t x = 0; x < 8; ++x)
        for (uint32_t z = 0; z < 6; ++z) {
            uint32_t expected = 0;
            if (z <= 1 && x <= 3)
                expected = 1;
            else if (x <= 5 && z <= 3)
                expected = 5;
            EXPECT_EQ(at(flat, ids, x, 2, z), expected) << x << " " << z;
        }

    // Other materials block nothing but are never changed; no solid cell, no change.
    auto empty = makeVolume(4, 4, 4, [](uint32_t, uint32_t, uint32_t) { return 0u; });
    MooreNeighborhoodDeposition(empty.get(), 5, 3).run();
    EXPECT_EQ(count(empty->materialIds(), 0), 64u);
}

TEST(MooreNeighborhood, EtchingErodesShellsAndSparesOtherMaterials)
{
    // A 5-cube of silicon in empty space loses its whole shell per iteration.
    const auto cube = [] {
        return makeVolume(9, 9, 9, [](uint32_t x, uint32_t y, uint32_t z) { return inBlock(x, y, z, 2, 6) ? 1u : 0u; });
    };
    for (int32_t depth : {1, 2}) {
        auto v = cube();
        MooreNeighborhoodEtching(v.get(), 1, depth).run();
        const std::vector<uint32_t> ids = v->materialIds();
        const uint32_t d = static_cast<uint32_t>(depth);
        EXPECT_EQ(count(ids, 1), depth == 1 ? 27u : 1u);
        for (uint32_t x = 0; x < 9; ++x)
            for (uint32_t y = 0; y < 9; ++y)
                for (uint32_t z = 0; z < 9; ++z)
                    ASSERT_EQ(at(v, ids, x, y, z), inBlock(x, y, z, 2 + d, 6 - d) ? 1u : 0u);
    }

    // Cells of another material inside the depth stay, and shield the silicon behind them.
    auto shielded = makeVolume(9, 9, 9, [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (x == 4 && y == 4 && z == 4)
            return 1; // silicon wrapped in material 3
        if (inBlock(x, y, z, 3, 5))
            return 3;
        return inBlock(x, y, z, 1, 7) ? 1 : 0;
    });
    MooreNeighborhoodEtching(shielded.get(), 1, 4).run();
    const std::vector<uint32_t> ids = shielded->materialIds();
    EXPECT_EQ(count(ids, 3), 26u);
    EXPECT_EQ(count(ids, 1), 1u);
    EXPECT_EQ(at(shielded, ids, 4, 4, 4), 1u);
}

TEST(MooreNeighborhood, SlicesAndThreadCounts)
{
    {
        PoolThreads pool(8);
        auto thin = makeVolume(3, 5, 5, [](uint32_t, uint32_t, uint32_t z) { return z == 0 ? 1u : 0u; });
        MooreNeighborhoodDeposition automaton(thin.get(), 3, 1);
        EXPECT_EQ(automaton.getSliceCount(), 1);
        automaton.run();
        EXPECT_EQ(count(thin->materialIds(), 3), 15u);

        auto wide = makeVolume(20, 2, 2, [](uint32_t, uint32_t, uint32_t) { return 0u; });
        MooreNeighborhoodEtching slices(wide.get(), 1, 1);
        // 20 layers over 8: the first 4 slices take 3 layers, the others 2.
        ASSERT_EQ(slices.getSliceCount(), 8);
        EXPECT_EQ(slices.sliceLast(3), 12u);
        EXPECT_EQ(slices.sliceFirst(7), 18u);
        EXPECT_EQ(slices.sliceLast(7), 20u);
    }
    for (bool deposition : {true, false}) {
        std::vector<std::vector<uint32_t>> results;
        for (int threads : {1, 2, 7}) {
            PoolThreads pool(threads);
            auto v = randomScene(31, 11, 13, 9);
            if (deposition)
                MooreNeighborhoodDeposition(v.get(), 4, 3).run();
            else
                MooreNeighborhoodEtching(v.get(), 1, 2).run();
            results.push_back(v->materialIds());
        }
        EXPECT_EQ(results[0], results[1]) << deposition;
        EXPECT_EQ(results[0], results[2]) << deposition;
        EXPECT_NE(results[0], randomScene(31, 11, 13, 9)->materialIds());
    }
}
