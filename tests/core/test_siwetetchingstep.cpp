#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/silattice.h"
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Core::Operations;
using FilmTest::makeVolume;
using Model::Automaton::TotalVolumePtr;
using Core::BatchRun::ProcessData;
using Core::BatchRun::ProcessListRunner;

namespace {

// Silicon below z = 7 with a one-cell oxide mask at z = 7 opened over [5, 11) x [5, 11).
TotalVolumePtr maskedSilicon()
{
    return makeVolume(16, 16, 10, [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (z < 7)
            return 1;
        if (z == 7 && !(x >= 5 && x < 11 && y >= 5 && y < 11))
            return 3;
        return 0;
    });
}

// Type 1, the atomistic etch, or 20, the continuous one.
ProcessData wetEtch(QVariant depth, int32_t type = 1)
{
    ProcessData step(type);
    if (depth.isValid())
        step.setParameter(QStringLiteral("Depth"), depth, true);
    return step;
}

std::vector<int32_t> counts(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::VoxelLock cells(volume);
    std::vector<int32_t> result(volume.getCellCount());
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = cells[i].getCount();
    return result;
}

// The menu operation of the wet etch of list type `batchType` (1 atomistic, 20
// continuous), given `depth` by its dialog.
void runOperation(OperationContext &context, double depth, int32_t batchType = 1)
{
    OperationTest::runDescribedOperation(context, batchType, Core::Processes::ParameterSet{{"Depth", depth}});
}

} // namespace

// Step type 1 gives the cells (and atom counts) of the menu's etch with the same depth,
// records 28 and leaves the lattice marked current; consecutive steps continue on one
// lattice exactly as the menu operation does.
TEST(SiWetEtchingStep, SameCellsAsTheMenuOperation)
{
    OperationContext interactive;
    const auto menuVolume = maskedSilicon();
    interactive.scene.add(menuVolume);
    runOperation(interactive, 1.75);
    runOperation(interactive, 1.05);

    OperationContext batch;
    ProcessListRunner runner(batch);
    const auto batchVolume = maskedSilicon();
    runner.setVolume(batchVolume);
    const auto summary = runner.run({wetEtch(1.75f), wetEtch(1.05f)});
    ASSERT_EQ(summary.outcome, ProcessListRunner::Outcome::Completed);
    EXPECT_EQ(batch.lastProcessByVolume.at(batchVolume->getId()), 28);
    EXPECT_FALSE(batch.latticeStale.at(batchVolume->getId()));

    const std::vector<uint32_t> before = maskedSilicon()->materialIds();
    EXPECT_NE(batchVolume->materialIds(), before);
    EXPECT_EQ(batchVolume->materialIds(), menuVolume->materialIds());
    EXPECT_EQ(counts(*batchVolume), counts(*menuVolume));
    // The mask and everything under it stay: the rim of the opening is cell 4 and 11.
    for (uint32_t z = 0; z < 8; ++z)
        EXPECT_EQ(batchVolume->materialIds()[batchVolume->index(2, 2, z)], z < 7 ? 1u : 3u);
}

// The lattice is rebuilt when the volume is marked stale or carries no mark, and kept
// when it is marked current; a silicon step in between marks it stale.
TEST(SiWetEtchingStep, RebuildsTheLatticeOnlyWhenStale)
{
    OperationContext batch;
    ProcessListRunner runner(batch);
    const auto volume = maskedSilicon();
    runner.setVolume(volume);

    ASSERT_EQ(runner.runStep(wetEtch(0.35f)), 0); // no mark: built
    const auto first = volume->getLattice();
    ASSERT_TRUE(first);
    ASSERT_EQ(runner.runStep(wetEtch(0.35f)), 0); // marked current: kept
    EXPECT_EQ(volume->getLattice(), first);

    batch.latticeStale[volume->getId()] = true;
    ASSERT_EQ(runner.runStep(wetEtch(0.35f)), 0);
    EXPECT_NE(volume->getLattice(), first);
    const auto second = volume->getLattice();

    ProcessData cvd(4);
    cvd.setParameter(QStringLiteral("Material_Id"), 1u, true);
    cvd.setParameter(QStringLiteral("Thickness"), 1.0f, true);
    ASSERT_EQ(runner.runStep(cvd), 0);
    EXPECT_TRUE(batch.latticeStale.at(volume->getId()));
    ASSERT_EQ(runner.runStep(wetEtch(0.35f)), 0);
    EXPECT_NE(volume->getLattice(), second);
    EXPECT_FALSE(batch.latticeStale.at(volume->getId()));
}

TEST(SiWetEtchingStep, MissingAndInvalidDepths)
{
    // Both etches read "Depth" alike; 0.1 is less than a monolayer, so neither empties a cell.
    for (const auto &type : {std::make_pair(1, 28), std::make_pair(20, 29)}) {
        SCOPED_TRACE(type.first);
        OperationContext batch;
        ProcessListRunner runner(batch);
        const auto volume = maskedSilicon();
        runner.setVolume(volume);
        const std::vector<uint32_t> before = volume->materialIds();

        EXPECT_EQ(runner.runStep(wetEtch(QVariant(), type.first)), 1);
        const float inf = std::numeric_limits<float>::infinity();
        for (float bad : {std::nanf(""), inf, -inf, -0.7f})
            EXPECT_EQ(runner.runStep(wetEtch(bad, type.first)), 2) << bad;
        EXPECT_EQ(runner.runStep(wetEtch(QStringLiteral("deep"), type.first)), 2);
        EXPECT_EQ(volume->materialIds(), before);
        EXPECT_EQ(batch.lastProcessByVolume.count(volume->getId()), 0u);
        EXPECT_FALSE(volume->getLattice());

        // A depth short of one monolayer changes no cell but leaves a current lattice.
        EXPECT_EQ(runner.runStep(wetEtch(0.1f, type.first)), 0);
        EXPECT_EQ(volume->materialIds(), before);
        EXPECT_TRUE(volume->getLattice());
        EXPECT_FALSE(batch.latticeStale.at(volume->getId()));
        EXPECT_EQ(batch.lastProcessByVolume.at(volume->getId()), type.second);
    }
}

// Step type 20, "Si wet etching (CCA)", is the continuous etch of the menu's "Si Wet
// Etching (CCA)" with the same "Depth": the same cells and atom counts, 29 recorded, the
// lattice left current. It continues on the lattice an atomistic step left, and the
// other way round, just as the two menu operations do.
TEST(SiWetEtchingStep, ContinuousEtchIsStepType20)
{
    EXPECT_EQ(ProcessData::processName(20), QStringLiteral("Si wet etching (CCA)"));
    EXPECT_TRUE(ProcessData::isKnownType(20));

    OperationContext interactive;
    const auto menuVolume = maskedSilicon();
    interactive.scene.add(menuVolume);
    // Depths a float holds exactly, as the list stores them.
    runOperation(interactive, 1.75, 20);
    runOperation(interactive, 0.7);
    runOperation(interactive, 1.25, 20);

    OperationContext batch;
    ProcessListRunner runner(batch);
    const auto batchVolume = maskedSilicon();
    runner.setVolume(batchVolume);
    ASSERT_EQ(runner.runStep(wetEtch(1.75f, 20)), 0);
    const auto lattice = batchVolume->getLattice();
    ASSERT_TRUE(lattice);
    EXPECT_EQ(batch.lastProcessByVolume.at(batchVolume->getId()), 29);
    EXPECT_FALSE(batch.latticeStale.at(batchVolume->getId()));
    const auto summary = runner.run({wetEtch(0.7f, 1), wetEtch(1.25f, 20)});
    ASSERT_EQ(summary.outcome, ProcessListRunner::Outcome::Completed);
    EXPECT_EQ(batchVolume->getLattice(), lattice);
    EXPECT_EQ(batch.lastProcessByVolume.at(batchVolume->getId()), 29);

    EXPECT_NE(batchVolume->materialIds(), maskedSilicon()->materialIds());
    EXPECT_EQ(batchVolume->materialIds(), menuVolume->materialIds());
    EXPECT_EQ(counts(*batchVolume), counts(*menuVolume));
    for (uint32_t z = 0; z < 8; ++z)
        EXPECT_EQ(batchVolume->materialIds()[batchVolume->index(2, 2, z)], z < 7 ? 1u : 3u);

    // A silicon step in between makes the continuous step rebuild the lattice.
    ProcessData cvd(4);
    cvd.setParameter(QStringLiteral("Material_Id"), 1u, true);
    cvd.setParameter(QStringLiteral("Thickness"), 1.0f, true);
    ASSERT_EQ(runner.runStep(cvd), 0);
    ASSERT_EQ(runner.runStep(wetEtch(0.35f, 20)), 0);
    EXPECT_NE(batchVolume->getLattice(), lattice);
    EXPECT_FALSE(batch.latticeStale.at(batchVolume->getId()));
}
