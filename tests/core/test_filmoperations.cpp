#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdepositionoperation.h"
#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetchingoperation.h"
#include "Core/Operations/Electrodeposition/electrodepositionoperation.h"
#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdepositionoperation.h"
#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetchingoperation.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhooddepositionoperation.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetchingoperation.h"
#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordepositionoperation.h"
#include "Core/Operations/operationcontext.h"
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <sys/resource.h>
#include <algorithm>
#include <functional>

using namespace Core::Operations;
using namespace FilmTest;
using namespace OperationTest;
using Ui::ProcessData;
using Ui::ProcessListRunner;

namespace {

struct Case
{
    const char *name;          // printed name
    int32_t typeId;            // recorded by the interactive operation
    int32_t batchType;         // process-list step type
    int32_t batchNumber;       // recorded by the batch step
    bool stale;                // sets latticeStale (material 1)
    std::function<OperationPtr(OperationContext &, bool accept)> operation;
    std::function<ProcessData()> step;
};

template <class Op>
OperationPtr withOptions(OperationContext &c, bool accept, std::function<void(Op &)> set, std::shared_ptr<Op> op)
{
    std::weak_ptr<Op> weak = op;
    op->setOptionsObserver(std::make_shared<Options>(accept ? std::function<void()>([weak, set] {
        if (auto o = weak.lock())
            set(*o);
    }) : std::function<void()>()));
    (void)c;
    return op;
}

std::vector<Case> cases()
{
    return {
        {"Isotropic Deposition", 13, 16, 13, true,
         [](OperationContext &c, bool a) {
             return withOptions<IsotropicFilmDepositionOperation>(c, a, [](IsotropicFilmDepositionOperation &o) {
                 o.setThickness(2.5f);
                 o.setMaterial(1);
             }, std::make_shared<IsotropicFilmDepositionOperation>(c));
         },
         [] { return step(16, {{"Material_Id", 1u}, {"Film Thickness", 2.5f}}); }},
        {"CVD", 13, 4, 13, false,
         [](OperationContext &c, bool a) {
             return withOptions<IsotropicFilmDepositionOperation>(c, a, [](IsotropicFilmDepositionOperation &o) {
                 o.setThickness(3.0f);
                 o.setMaterial(3);
             }, std::make_shared<IsotropicFilmDepositionOperation>(c, "CVD"));
         },
         [] { return step(4, {{"Material_Id", 3u}, {"Thickness", 3.0f}}); }},
        {"Isotropic Etching", 14, 5, 14, true,
         [](OperationContext &c, bool a) {
             return withOptions<IsotropicFilmEtchingOperation>(c, a, [](IsotropicFilmEtchingOperation &o) {
                 o.setDepth(2.0f);
                 o.setMaterial(1);
             }, std::make_shared<IsotropicFilmEtchingOperation>(c));
         },
         [] { return step(5, {{"Material_Id", 1u}, {"Depth", 2.0f}}); }},
        {"Electroplating", 15, 7, 15, true,
         [](OperationContext &c, bool a) {
             return withOptions<ElectrodepositionOperation>(c, a, [](ElectrodepositionOperation &o) {
                 o.setThickness(2.0f);
                 o.setConductingMaterial(1);
                 o.setDepositedMaterial(1);
             }, std::make_shared<ElectrodepositionOperation>(c));
         },
         [] { return step(7, {{"Film Thickness", 2.0f}, {"Conducting Material_Id", 1u}, {"Deposited Material_Id", 1u}}); }},
        {"Anisotropic Deposition", 13, 17, 27, true,
         [](OperationContext &c, bool a) {
             return withOptions<AnisotropicFilmDepositionOperation>(c, a, [](AnisotropicFilmDepositionOperation &o) {
                 o.setThickness(3.0f);
                 o.setRatio(0.5f);
                 o.setMaterial(1);
             }, std::make_shared<AnisotropicFilmDepositionOperation>(c));
         },
         [] { return step(17, {{"Material_Id", 1u}, {"Film Thickness", 3.0f}, {"Horizontal to Vertical Ratio", 0.5f}}); }},
        {"Anisotropic Etching", 13, 18, 32, false,
         [](OperationContext &c, bool a) {
             return withOptions<AnisotropicFilmEtchingOperation>(c, a, [](AnisotropicFilmEtchingOperation &o) {
                 o.setDepth(3.0f);
                 o.setRatio(0.5f);
                 o.setMaterial(3);
             }, std::make_shared<AnisotropicFilmEtchingOperation>(c));
         },
         [] { return step(18, {{"Material_Id", 3u}, {"Etch Depth", 3.0f}, {"Horizontal to Vertical Ratio", 0.5f}}); }},
        {"Isotropic Deposition", 13, 12, 31, true,
         [](OperationContext &c, bool a) {
             return withOptions<SimplePhysicalVaporDepositionOperation>(c, a, [](SimplePhysicalVaporDepositionOperation &o) {
                 o.setThickness(2.0f);
                 o.setRatio(0.5f);
                 o.setSide(Core::Operations::DepositOn::Both);
                 o.setMaterial(1);
             }, std::make_shared<SimplePhysicalVaporDepositionOperation>(c));
         },
         [] { return step(12, {{"Material_Id", 1u}, {"Thickness", 2.0}, {"Horizontal to Vertical Ratio", 0.5}, {"DepositOn", 3}}); }},
        {"Moore film deposition", 18, 2, 18, false,
         [](OperationContext &c, bool a) {
             return withOptions<MooreNeighborhoodDepositionOperation>(c, a, [](MooreNeighborhoodDepositionOperation &o) {
                 o.setThickness(2);
                 o.setMaterial(4);
             }, std::make_shared<MooreNeighborhoodDepositionOperation>(c));
         },
         [] { return step(2, {{"Material_Id", 4u}, {"Thickness", 2.0f}}); }},
        {"Moore film deposition", 19, 3, 19, true,
         [](OperationContext &c, bool a) {
             return withOptions<MooreNeighborhoodEtchingOperation>(c, a, [](MooreNeighborhoodEtchingOperation &o) {
                 o.setDepth(1);
                 o.setMaterial(1);
             }, std::make_shared<MooreNeighborhoodEtchingOperation>(c));
         },
         [] { return step(3, {{"Material_Id", 1u}, {"Depth", 1.0f}}); }},
    };
}

// Silicon floor with a trench, a block of material 3 on it and a plate above.
TotalVolumePtr scene()
{
    return makeVolume(14, 9, 12, [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (z < 3 && !(x >= 5 && x <= 7 && z >= 1))
            return 1;
        if (z >= 3 && z < 5 && x >= 9 && y >= 2 && y <= 6)
            return 3;
        if (z == 8 && x >= 2 && x <= 10)
            return 1;
        return 0;
    });
}

class FilmOperationTest : public ::testing::Test, public OperationHarness
{
};

} // namespace

TEST_F(FilmOperationTest, EachOperationMatchesItsBatchStepAndUndoesExactly)
{
    for (const Case &c : cases()) {
        SCOPED_TRACE(std::string(c.name) + " / step type " + std::to_string(c.batchType));
        context.scene.reset();
        context.history.clear();
        context.lastProcessByVolume.clear();
        context.latticeStale.clear();
        log->lines.clear();

        // Through the operation protocol with its options accepted.
        auto volume = scene();
        const std::vector<uint32_t> before = volume->materialIds();
        context.scene.add(volume);
        factory->make = [&] { return c.operation(context, true); };
        context.activate(1);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[0], std::string(c.name) + ": Cell volume selected.");
        EXPECT_EQ(log->lines[1], std::string(c.name) + ": Operation finished.");
        EXPECT_EQ(context.history.undoName(), c.name);
        EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), c.typeId);
        EXPECT_EQ(context.latticeStale.count(volume->getId()), c.stale ? 1u : 0u);
        const std::vector<uint32_t> after = volume->materialIds();
        EXPECT_NE(after, before);

        // The batch step on a fresh copy of the scene gives the same cells.
        Core::Operations::OperationContext batchContext;
        ProcessListRunner runner(batchContext);
        auto batchVolume = scene();
        runner.setVolume(batchVolume);
        const ProcessListRunner::Summary summary = runner.run({c.step()});
        EXPECT_EQ(summary.outcome, ProcessListRunner::Outcome::Completed);
        EXPECT_EQ(batchVolume->materialIds(), after);
        EXPECT_EQ(batchContext.lastProcessByVolume.at(batchVolume->getId()), c.batchNumber);
        EXPECT_EQ(batchContext.latticeStale.count(batchVolume->getId()), c.stale ? 1u : 0u);

        // Undo restores the cells exactly, redo the result, twice over; restored cells
        // always need a new lattice.
        for (int round = 0; round < 2; ++round) {
            context.latticeStale.clear();
            ASSERT_TRUE(context.history.undo());
            EXPECT_EQ(volume->materialIds(), before);
            EXPECT_TRUE(context.latticeStale.at(volume->getId()));
            context.latticeStale.clear();
            ASSERT_TRUE(context.history.redo());
            EXPECT_EQ(volume->materialIds(), after);
            EXPECT_TRUE(context.latticeStale.at(volume->getId()));
        }

        // Rejected options: canceled, cells and history unchanged.
        log->lines.clear();
        factory->make = [&] { return c.operation(context, false); };
        context.activate(1);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[1], std::string(c.name) + ": Operation canceled.");
        EXPECT_EQ(context.history.undoCount(), 1u);
        EXPECT_EQ(volume->materialIds(), after);
    }
}

TEST_F(FilmOperationTest, TwoStepsOnOneVolumeUndoInTurn)
{
    auto volume = scene();
    context.scene.add(volume);
    const std::vector<uint32_t> start = volume->materialIds();
    const std::vector<Case> all = cases();
    factory->make = [&] { return all[0].operation(context, true); };
    context.activate(1);
    const std::vector<uint32_t> middle = volume->materialIds();
    factory->make = [&] { return all[2].operation(context, true); };
    context.activate(1);
    EXPECT_NE(volume->materialIds(), middle);
    context.history.undo();
    EXPECT_EQ(volume->materialIds(), middle);
    context.history.undo();
    EXPECT_EQ(volume->materialIds(), start);
    context.history.redo();
    EXPECT_EQ(volume->materialIds(), middle);
}

TEST_F(FilmOperationTest, UnwritableUndoFileClearsTheHistoryUpToTheStep)
{
    auto volume = scene();
    context.scene.add(volume);
    const std::vector<Case> all = cases();
    factory->make = [&] { return all[0].operation(context, true); };
    context.activate(1);
    ASSERT_EQ(context.history.undoCount(), 1u);

    // A directory where the undo file was makes every record write fail.
    const QString undoFile = context.snapshotFiles.undoFileName();
    ASSERT_TRUE(QFile::remove(undoFile));
    ASSERT_TRUE(QDir().mkdir(undoFile));
    factory->make = [&] { return all[2].operation(context, true); };
    context.activate(1);
    const std::vector<uint32_t> after = volume->materialIds();
    EXPECT_TRUE(log->contains(all[2].name + std::string(": the undo files cannot be written; this step and the ones "
                                                        "before it can no longer be undone.")));
    EXPECT_EQ(context.history.undoCount(), 0u);
    EXPECT_FALSE(context.history.undo());
    EXPECT_EQ(volume->materialIds(), after);
    QDir().rmdir(undoFile);
}

TEST_F(FilmOperationTest, FullDiskWhileRecordingNeverLetsAnOlderStepRestoreOverLaterWork)
{
    auto volume = scene();
    context.scene.add(volume);
    const std::vector<Case> all = cases();
    factory->make = [&] { return all[0].operation(context, true); };
    context.activate(1);
    const std::vector<uint32_t> first = volume->materialIds();

    // The disk is full for the second step's records.
    const qint64 used = std::max(QFileInfo(context.snapshotFiles.undoFileName()).size(),
                                 QFileInfo(context.snapshotFiles.redoFileName()).size());
    ASSERT_GT(used, 10);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit full = saved;
    full.rlim_cur = static_cast<rlim_t>(used + 8);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
    factory->make = [&] { return all[2].operation(context, true); };
    context.activate(1);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    const std::vector<uint32_t> second = volume->materialIds();
    ASSERT_NE(second, first);
    EXPECT_TRUE(log->contains(all[2].name + std::string(": the undo files cannot be written; this step and the ones "
                                                        "before it can no longer be undone.")));
    // The first step can no longer restore its cells over the second's.
    EXPECT_EQ(context.history.undoCount(), 0u);
    EXPECT_FALSE(context.history.undo());
    EXPECT_EQ(volume->materialIds(), second);
    EXPECT_EQ(QFileInfo(context.snapshotFiles.undoFileName()).size(), 0);

    // Space again: the next step records and undoes exactly, and nothing older follows.
    factory->make = [&] { return all[0].operation(context, true); };
    context.activate(1);
    ASSERT_EQ(context.history.undoCount(), 1u);
    EXPECT_TRUE(context.history.undo());
    EXPECT_EQ(volume->materialIds(), second);
    EXPECT_FALSE(context.history.undo());
    EXPECT_EQ(volume->materialIds(), second);
}

TEST_F(FilmOperationTest, ZeroDepthChangesNoCellAndMaterialsRuleTheLattice)
{
    auto volume = scene();
    context.scene.add(volume);
    const std::vector<uint32_t> before = volume->materialIds();
    factory->make = [&] {
        auto op = std::make_shared<IsotropicFilmEtchingOperation>(context);
        return withOptions<IsotropicFilmEtchingOperation>(context, true, [](IsotropicFilmEtchingOperation &o) {
            o.setDepth(0.0f);
            o.setMaterial(3);
        }, op);
    };
    context.activate(1);
    // It says so and leaves no undo entry.
    EXPECT_EQ(log->lines.back(), "Isotropic Etching: no cell changed.");
    EXPECT_EQ(context.history.undoCount(), 0u);
    EXPECT_EQ(volume->materialIds(), before);
    EXPECT_TRUE(context.latticeStale.empty());

    // Plating onto silicon leaves the lattice; plating silicon marks it.
    auto plate = [&](uint32_t conducting, uint32_t deposited) {
        factory->make = [&] {
            auto op = std::make_shared<ElectrodepositionOperation>(context);
            return withOptions<ElectrodepositionOperation>(context, true, [=](ElectrodepositionOperation &o) {
                o.setThickness(1.0f);
                o.setConductingMaterial(conducting);
                o.setDepositedMaterial(deposited);
            }, op);
        };
        context.activate(1);
    };
    plate(1, 5);
    EXPECT_NE(volume->materialIds(), before);
    EXPECT_TRUE(context.latticeStale.empty());
    EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), 15);
    plate(5, 1);
    EXPECT_TRUE(context.latticeStale.at(volume->getId()));
}

TEST_F(FilmOperationTest, SnapshotKeysAndInstanceNumbers)
{
    auto iso = std::make_shared<IsotropicFilmDepositionOperation>(context);
    auto cvd = std::make_shared<IsotropicFilmDepositionOperation>(context, "CVD");
    auto pvd = std::make_shared<SimplePhysicalVaporDepositionOperation>(context);
    EXPECT_EQ(iso->getSnapshot().getKey(), "IsotropicDeposition");
    EXPECT_EQ(cvd->getSnapshot().getKey(), "IsotropicDeposition");
    EXPECT_EQ(cvd->getSnapshot().getInstance(), iso->getSnapshot().getInstance() + 1);
    EXPECT_EQ(pvd->getSnapshot().getKey(), "IsotropicDeposition");
    EXPECT_EQ(pvd->getName(), "Isotropic Deposition");
    EXPECT_EQ(cvd->getName(), "CVD");
    EXPECT_EQ(cvd->getTypeId(), 13);
    EXPECT_EQ(pvd->getSnapshot().getInstance() + 1,
              SimplePhysicalVaporDepositionOperation::instanceCounter.load());

    EXPECT_EQ(IsotropicFilmEtchingOperation(context).getSnapshot().getKey(), "IsotropicEtching");
    EXPECT_EQ(ElectrodepositionOperation(context).getSnapshot().getKey(), "Electroplating");
    EXPECT_EQ(AnisotropicFilmDepositionOperation(context).getSnapshot().getKey(), "AnisotropicDeposition");
    EXPECT_EQ(AnisotropicFilmEtchingOperation(context).getSnapshot().getKey(), "AnisotropicEtching");
    MooreNeighborhoodDepositionOperation mooreDep(context);
    MooreNeighborhoodEtchingOperation mooreEtch(context);
    EXPECT_EQ(mooreDep.getSnapshot().getKey(), "MooreFilmDep");
    EXPECT_EQ(mooreEtch.getSnapshot().getKey(), "MooreFilmDep");
    EXPECT_EQ(mooreEtch.getName(), "Moore film deposition");
    EXPECT_EQ(mooreEtch.getTypeId(), 19);
    EXPECT_EQ(mooreDep.getTypeId(), 18);
}

TEST_F(FilmOperationTest, BatchStepsRefuseMissingAndInvalidValues)
{
    ProcessListRunner runner(context);
    auto volume = scene();
    runner.setVolume(volume);
    const std::vector<uint32_t> before = volume->materialIds();

    EXPECT_EQ(runner.runStep(step(17, {{"Material_Id", 1u}, {"Film Thickness", 3.0f}})), 1); // no ratio
    EXPECT_EQ(runner.runStep(step(16, {{"Material_Id", 1u}, {"Thickness", 3.0f}})), 1);     // wrong name
    EXPECT_EQ(runner.runStep(step(7, {{"Film Thickness", 2.0f}, {"Conducting Material_Id", 1u}})), 1);
    EXPECT_EQ(runner.runStep(step(5, {{"Material_Id", 1u}, {"Depth", QString("deep")}})), 2);
    EXPECT_EQ(runner.runStep(step(4, {{"Material_Id", 1u}, {"Thickness", -1.0f}})), 2);
    EXPECT_EQ(runner.runStep(step(12, {{"Material_Id", 1u}, {"Thickness", 2.0}, {"Horizontal to Vertical Ratio", 0.5}, {"DepositOn", 4}})), 2);
    EXPECT_EQ(runner.runStep(step(2, {{"Material_Id", 1u}, {"Thickness", 1e12f}})), 2);
    EXPECT_EQ(runner.runStep(step(18, {{"Material_Id", 1u}, {"Etch Depth", 1.0f}, {"Horizontal to Vertical Ratio", QString("x")}})), 2);
    EXPECT_EQ(volume->materialIds(), before);
    EXPECT_TRUE(context.lastProcessByVolume.empty());
    EXPECT_TRUE(context.latticeStale.empty());

    // A fractional Moore count is a whole number of cells.
    auto a = scene(), b = scene();
    runner.setVolume(a);
    EXPECT_EQ(runner.runStep(step(2, {{"Material_Id", 4u}, {"Thickness", 2.7f}})), 0);
    runner.setVolume(b);
    EXPECT_EQ(runner.runStep(step(2, {{"Material_Id", 4u}, {"Thickness", 2.0f}})), 0);
    EXPECT_EQ(a->materialIds(), b->materialIds());
}
