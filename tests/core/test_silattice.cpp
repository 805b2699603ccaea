#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"
#include "filmtestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using Model::Automaton::AtomAbsent;
using Model::Automaton::AtomFixed;
using Model::Automaton::AtomPresent;
using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using FilmTest::counts;
using FilmTest::makeVolume;

namespace {

double distance(const SiLattice::Point &a, const SiLattice::Point &b)
{
    const double dx = a[0] - b[0], dy = a[1] - b[1], dz = a[2] - b[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The far end of a bond by the fixed offset table of world vectors (the older way):
// the atom's position plus the rotated bond, converted to a cell index.
int offsetTableVoxelIndex(const SiLattice &lattice, const TotalVolume &volume, uint32_t atom, int slot)
{
    const double hh = 1.4f * 0.25;
    const double r = std::sqrt(2.0) * 1.4f / 4;
    static const double a[4][3] = {{r, 0, -1}, {-r, 0, -1}, {0, -r, 1}, {0, r, 1}};
    static const double b[4][3] = {{0, -r, -1}, {0, r, -1}, {r, 0, 1}, {-r, 0, 1}};
    const double(*table)[3] = lattice.isSublatticeA(atom) ? a : b;
    const SiLattice::Point p = lattice.atomPosition(atom);
    const Util::Vector3D pos = volume.getPosition();
    const float u = static_cast<float>((p[0] + table[slot][0] - pos.x) / volume.getCellSizeX());
    const float v = static_cast<float>((p[1] + table[slot][1] - pos.y) / volume.getCellSizeY());
    const float w = static_cast<float>((p[2] + table[slot][2] * hh - pos.z) / volume.getCellSizeZ());
    if (u < 0 || v < 0 || w < 0 || u >= volume.getSizeX() || v >= volume.getSizeY() || w >= volume.getSizeZ())
        return -1;
    return static_cast<int>(volume.index(uint32_t(u), uint32_t(v), uint32_t(w)));
}

} // namespace

TEST(SiLattice, VolumeWithoutSiliconKeepsNoCells)
{
    const auto volume = makeVolume(6, 5, 4, [](uint32_t, uint32_t, uint32_t z) { return z < 2 ? 3u : 0u; });
    volume->createLattice();
    const auto lattice = volume->getLattice();
    ASSERT_TRUE(lattice);
    EXPECT_EQ(lattice->getVolume(), volume.get());
    EXPECT_EQ(lattice->cellCount(), 0u);
    EXPECT_EQ(lattice->atomCount(), 0u);
    for (int32_t c : counts(*volume))
        EXPECT_EQ(c, 0);
}

TEST(SiLattice, SizingPlacementAndTemplate)
{
    const auto volume = makeVolume(10, 6, 8, [](uint32_t, uint32_t, uint32_t) { return 1u; });
    volume->createLattice();
    const SiLattice &lattice = *volume->getLattice();
    // ceil(16 / (sqrt 2 * 1.4)) = ceil(8.08), ceil(8 / 1.4) = ceil(5.71).
    EXPECT_EQ(lattice.getCountI(), 9u);
    EXPECT_EQ(lattice.getCountJ(), 9u);
    EXPECT_EQ(lattice.getCountK(), 6u);
    EXPECT_FLOAT_EQ(lattice.getLatticeOrigin()[0], 5.0f);
    EXPECT_FLOAT_EQ(lattice.getLatticeOrigin()[1], -5.0f);
    // Turned 45 degrees about z: the cube's x edge now runs along (1, 1) / sqrt 2.
    const SiLattice::Template &t = lattice.cellTemplate();
    EXPECT_NEAR(t.cubeCorners[4][0], 0.98995, 1e-5);
    EXPECT_NEAR(t.cubeCorners[4][1], 0.98995, 1e-5);
    EXPECT_NEAR(t.cubeCorners[2][0], -0.98995, 1e-5);
    EXPECT_NEAR(t.cubeCorners[1][2], 1.4, 1e-6);
    // Bond A slot 0 lies in the x-z plane after the turn.
    EXPECT_NEAR(t.bondsA[0][0], std::sqrt(2.0) * 1.4 / 4, 1e-6);
    EXPECT_NEAR(t.bondsA[0][1], 0.0, 1e-6);
    for (int k = 0; k < 4; ++k)
        for (int d = 0; d < 3; ++d)
            EXPECT_FLOAT_EQ(t.bondsB[k][d], -t.bondsA[3 - k][d]);
    // Keys ascend with the cells.
    for (size_t c = 1; c < lattice.cellCount(); ++c)
        EXPECT_LT(lattice.cell(c - 1).key, lattice.cell(c).key);
}

// Counts per cell equal the lattice sites that fall in each cell, found here
// independently from the crystal's geometry; the density is that of silicon.
TEST(SiLattice, CountsMatchTheAtomsInEachCell)
{
    // Off the origin (the lattice follows the volume's position); silicon with an oxide
    // pillar and a hole, empty above.
    const Util::Vector3D position(0.013, 0.029, 0.017);
    const auto rule = [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (z >= 5)
            return 0;
        if (x == 2 && y == 2)
            return 3;
        if (x == 4 && y == 1 && z == 4)
            return 0;
        return 1;
    };
    const auto volume = makeVolume(7, 6, 7, rule, position);
    volume->createLattice();
    const SiLattice &lattice = *volume->getLattice();
    const std::vector<int32_t> actual = counts(*volume);

    std::vector<int32_t> expected(volume->getCellCount(), 0);
    const double s = std::sqrt(0.5);
    const double offsets[8][3] = {{0, 0, 0}, {.7, .7, 0}, {.35, .35, .35}, {1.05, 1.05, .35},
                                  {.7, 0, .7}, {0, .7, .7}, {1.05, .35, 1.05}, {.35, 1.05, 1.05}};
    for (int i = -2; i < 12; ++i)
        for (int j = -2; j < 12; ++j)
            for (int k = 0; k < 8; ++k)
                for (const auto &o : offsets) {
                    const double cx = 1.4 * i + o[0], cy = 1.4 * j + o[1];
                    const double x = 3.5 + cx * s - cy * s + position.x; // lattice origin x = sizeX / 2
                    const double y = -3.5 + cx * s + cy * s + position.y;
                    const double z = 1.4 * k + o[2] + position.z;
                    const double u = x - position.x, v = y - position.y, w = z - position.z;
                    if (u < 0 || v < 0 || w < 0 || u >= 7 || v >= 6 || w >= 7)
                        continue;
                    const auto cx_ = uint32_t(u), cy_ = uint32_t(v), cz_ = uint32_t(w);
                    if (rule(cx_, cy_, cz_) == 1)
                        ++expected[volume->index(cx_, cy_, cz_)];
                }
    EXPECT_EQ(actual, expected);

    size_t present = 0, silicon = 0;
    for (uint32_t a = 0; a < lattice.cellAtomCount(); ++a)
        present += lattice.atom(a).state == AtomPresent;
    for (uint32_t x = 0; x < 7; ++x)
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t z = 0; z < 7; ++z)
                silicon += rule(x, y, z) == 1;
    size_t total = 0;
    for (int32_t c : actual)
        total += static_cast<size_t>(c);
    EXPECT_EQ(total, present);
    // Silicon holds 8 atoms per cube of 1.4 length units, about 2.92 atoms per cell; a
    // block this small holds a tenth more, its monolayers reaching past each face.
    EXPECT_NEAR(double(total) / double(silicon), 8 / (1.4 * 1.4 * 1.4) * 1.1, 0.15);
}

TEST(SiLattice, BondsFollowTheSlotConvention)
{
    const auto volume = makeVolume(6, 6, 6, [](uint32_t, uint32_t, uint32_t) { return 1u; });
    volume->createLattice();
    const SiLattice &lattice = *volume->getLattice();
    ASSERT_GT(lattice.cellCount(), 0u);
    const double bond = std::sqrt(3.0) / 4 * 1.4;
    size_t interior = 0;
    for (size_t c = 0; c < lattice.cellCount(); ++c) {
        // Atom 2 has its four bonds inside its own cell, to atoms 0, 1, 4 and 5.
        const SiAtom &two = lattice.atom(SiLattice::cellAtom(c, 2));
        EXPECT_EQ(two.neighbours[0], SiLattice::cellAtom(c, 0));
        EXPECT_EQ(two.neighbours[1], SiLattice::cellAtom(c, 1));
        EXPECT_EQ(two.neighbours[2], SiLattice::cellAtom(c, 4));
        EXPECT_EQ(two.neighbours[3], SiLattice::cellAtom(c, 5));
        uint32_t i, j, k;
        lattice.cellCoordinates(c, &i, &j, &k);
        EXPECT_EQ(lattice.findCell(i, j, k), c);
        for (int n = 0; n < 8; ++n) {
            const uint32_t a = SiLattice::cellAtom(c, n);
            EXPECT_EQ(lattice.cellOf(a), c);
            const SiLattice::Point p = lattice.atomPosition(a);
            bool deep = true;
            for (int d = 0; d < 3; ++d)
                deep = deep && p[d] > 1.0f && p[d] < 5.0f;
            for (int slot = 0; slot < 4; ++slot) {
                const uint32_t b = lattice.atom(a).neighbours[slot];
                const SiLattice::FarEnd &end = SiLattice::farEnd(n, slot);
                if (b == SiAtom::none) {
                    EXPECT_FALSE(deep) << "atom " << a << " slot " << slot;
                    EXPECT_EQ(lattice.findCell(int64_t(i) + end.di, int64_t(j) + end.dj, int64_t(k) + end.dk),
                              SiLattice::noCell);
                    continue;
                }
                EXPECT_EQ(lattice.atom(b).neighbours[3 - slot], a);
                EXPECT_NE(lattice.isSublatticeA(a), lattice.isSublatticeA(b));
                EXPECT_NEAR(distance(p, lattice.atomPosition(b)), bond, 1e-5);
                EXPECT_NEAR(distance(lattice.bondEnd(a, slot), lattice.atomPosition(b)), 0.0, 1e-5);
                EXPECT_EQ(lattice.cellOf(b), lattice.findCell(int64_t(i) + end.di, int64_t(j) + end.dj,
                                                              int64_t(k) + end.dk));
                EXPECT_EQ(SiLattice::atomNumber(b), end.number);
            }
            if (deep) {
                ++interior;
                EXPECT_EQ(lattice.bondedCount(a), 4u);
                EXPECT_EQ(lattice.secondNeighbourSum(a), 12u);
                EXPECT_FALSE(lattice.isSurfaceAtom(a));
            }
        }
    }
    EXPECT_GT(interior, 100u);
}

TEST(SiLattice, AtomOnTheFarFaceIsAbsent)
{
    // Seven layers 0.75 high end at z = 5.25, where atoms 6 and 7 of the unit cells of
    // layer k = 3 lie exactly.
    auto volume = std::make_shared<TotalVolume>(4, 4, 7, 1.0f, 1.0f, 0.75f, Util::Vector3D());
    {
        Model::Automaton::VoxelLock cells(*volume);
        for (size_t i = 0; i < volume->getCellCount(); ++i)
            cells[i].setMaterialId(1);
    }
    volume->createLattice();
    const SiLattice &lattice = *volume->getLattice();
    size_t onFace = 0, below = 0;
    for (uint32_t a = 0; a < lattice.cellAtomCount(); ++a) {
        const SiLattice::Point p = lattice.atomPosition(a);
        if (p[0] < 0.5f || p[1] < 0.5f || p[0] > 3.5f || p[1] > 3.5f)
            continue;
        if (p[2] == 5.25f) {
            ++onFace;
            EXPECT_EQ(lattice.atom(a).state, AtomAbsent);
            EXPECT_EQ(lattice.atom(a).voxelIndex, -1);
        } else if (p[2] < 5.25f && p[2] >= 4.5f) {
            ++below;
            EXPECT_EQ(lattice.atom(a).state, AtomPresent);
            EXPECT_EQ(lattice.atom(a).voxelIndex % 7, 6);
        }
    }
    EXPECT_GT(onFace, 0u);
    EXPECT_GT(below, 0u);
}

TEST(SiLattice, OxideAtomsAreFixedAndCountAsBonds)
{
    // Silicon below z = 3, oxide at z = 3, empty above.
    const auto volume = makeVolume(8, 8, 6, [](uint32_t, uint32_t, uint32_t z) {
        return z < 3 ? 1u : z == 3 ? 3u : 0u;
    });
    volume->createLattice();
    const SiLattice &lattice = *volume->getLattice();
    size_t fixedNeighbours = 0;
    for (uint32_t a = 0; a < lattice.cellAtomCount(); ++a) {
        const SiAtom &atom = lattice.atom(a);
        const SiLattice::Point p = lattice.atomPosition(a);
        if (p[0] < 1.5f || p[1] < 1.5f || p[0] > 6.5f || p[1] > 6.5f)
            continue;
        if (p[2] >= 3.0f && p[2] < 4.0f) {
            EXPECT_EQ(atom.state, AtomFixed);
            EXPECT_EQ(lattice.bondedCount(a), 4u);
        }
        if (atom.state != AtomPresent || p[2] < 2.5f)
            continue;
        // The top silicon atoms bond up into the oxide: all four bonds count.
        EXPECT_EQ(lattice.bondedCount(a), 4u);
        unsigned expectedSum = 0;
        for (uint32_t b : atom.neighbours) {
            if (lattice.atom(b).state == AtomFixed) {
                ++fixedNeighbours;
                expectedSum += 3;
            } else {
                expectedSum += lattice.bondedCount(b) - 1;
            }
        }
        EXPECT_EQ(lattice.secondNeighbourSum(a), expectedSum);
        EXPECT_FALSE(lattice.isSurfaceAtom(a));
    }
    EXPECT_GT(fixedNeighbours, 0u);
}

TEST(SiLattice, FlatSurfaceAtomsHaveTwoBonds)
{
    const auto volume = makeVolume(6, 6, 8, [](uint32_t, uint32_t, uint32_t z) { return z < 4 ? 1u : 0u; });
    volume->createLattice();
    const SiLattice &lattice = *volume->getLattice();
    size_t top = 0;
    for (uint32_t a = 0; a < lattice.cellAtomCount(); ++a) {
        const SiLattice::Point p = lattice.atomPosition(a);
        if (lattice.atom(a).state != AtomPresent || p[0] < 1.5f || p[1] < 1.5f || p[0] > 4.5f || p[1] > 4.5f)
            continue;
        if (std::fabs(p[2] - 3.85f) < 1e-3f) { // the highest monolayer below z = 4
            ++top;
            EXPECT_EQ(lattice.bondedCount(a), 2u);
            EXPECT_EQ(lattice.secondNeighbourSum(a), 6u);
            EXPECT_TRUE(lattice.isSurfaceAtom(a));
        }
    }
    EXPECT_GT(top, 0u);
}

// The far end of a missing bond is the lattice site itself. On a substrate exactly 7
// cells tall, the sites above the top atoms lie exactly at z = 7, in the empty layer;
// the older offset table rounded them into the silicon below. Elsewhere both agree.
TEST(SiLattice, FarEndOfAMissingBondIsTheLatticeSite)
{
    const auto volume = makeVolume(6, 6, 10, [](uint32_t, uint32_t, uint32_t z) { return z < 7 ? 1u : 0u; });
    volume->createLattice();
    const SiLattice &lattice = *volume->getLattice();
    size_t upward = 0, differing = 0, compared = 0;
    for (uint32_t a = 0; a < lattice.cellAtomCount(); ++a) {
        if (lattice.atom(a).state != AtomPresent)
            continue;
        for (int slot = 0; slot < 4; ++slot) {
            const int site = lattice.neighbourVoxelIndex(a, slot);
            const int table = offsetTableVoxelIndex(lattice, *volume, a, slot);
            ++compared;
            if (site != table) {
                ++differing;
                // Only where the bond's end lies on a cell face.
                const SiLattice::Point e = lattice.bondEnd(a, slot);
                double nearest = 1;
                for (float c : e)
                    nearest = std::min(nearest, std::fabs(double(c) - std::round(double(c))));
                EXPECT_LT(nearest, 1e-5);
            }
            if (lattice.atom(a).neighbours[slot] == SiAtom::none && lattice.bondEnd(a, slot)[2] > 6.9f) {
                ++upward;
                ASSERT_GE(site, 0);
                EXPECT_EQ(site % 10, 7) << "the site above the top atom is in the empty layer";
            }
        }
        EXPECT_EQ(lattice.neighbourVoxelIndex(a, 4), -1);
        EXPECT_EQ(lattice.neighbourVoxelIndex(a, -1), -1);
    }
    EXPECT_GT(upward, 0u);
    EXPECT_GT(differing, 0u);
    EXPECT_LT(differing * 20, compared);
}

TEST(SiLattice, BoundaryAtomsAndRebuilds)
{
    const auto volume = makeVolume(5, 5, 5, [](uint32_t, uint32_t, uint32_t z) { return z < 3 ? 1u : 0u; });
    volume->createLattice();
    const auto lattice = volume->getLattice();
    uint32_t open = SiAtom::none;
    int slot = -1;
    for (uint32_t a = 0; a < lattice->cellAtomCount() && open == SiAtom::none; ++a)
        for (int k = 0; k < 4; ++k)
            if (lattice->atom(a).state == AtomPresent && lattice->atom(a).neighbours[k] == SiAtom::none) {
                open = a;
                slot = k;
                break;
            }
    ASSERT_NE(open, SiAtom::none);
    const unsigned before = lattice->bondedCount(open);
    const uint32_t b = lattice->addBoundaryAtom(open, slot);
    EXPECT_EQ(b, lattice->cellAtomCount());
    EXPECT_FALSE(lattice->hasCell(b));
    EXPECT_EQ(lattice->cellOf(b), SiLattice::noCell);
    EXPECT_EQ(lattice->stateOf(b), AtomFixed);
    EXPECT_EQ(lattice->atom(b).neighbours[3 - slot], open);
    EXPECT_EQ(lattice->bondedCount(open), before + 1);
    EXPECT_EQ(lattice->neighbourVoxelIndex(b, 0), -1);
    const SiLattice::Point origin = lattice->atomPosition(b);
    EXPECT_EQ(origin[0], 0.0f);
    lattice->clearBoundaryAtoms();
    EXPECT_EQ(lattice->boundaryAtomCount(), 0u);
    EXPECT_EQ(lattice->atom(open).neighbours[slot], SiAtom::none);
    EXPECT_EQ(lattice->bondedCount(open), before);
    // The memory stays near the atoms' own size.
    EXPECT_LT(lattice->memoryBytes(), lattice->cellAtomCount() * 48 + 4096);

    // A rebuild replaces the lattice; a copy of the volume has none.
    volume->createLattice();
    EXPECT_NE(volume->getLattice(), lattice);
    EXPECT_FALSE(std::static_pointer_cast<TotalVolume>(volume->clone())->getLattice());
}
