// The batch runner: Create Substrate and Save Image steps, the stop rules, result codes
// and messages, per-volume records, cancelling and running on a worker thread.
#include "cataloguetestsupport.h"
#include "documenttestsupport.h"
#include "gdswriter.h"

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/CreateSubstrate/substrateparameters.h"
#include "Core/Operations/operationcontext.h"

#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

using Core::Operations::SubstrateParameters;
using Model::Automaton::TotalVolume;
using Core::BatchRun::ProcessData;
using Core::BatchRun::ProcessList;
using Core::BatchRun::ProcessListRunner;
using Outcome = Core::BatchRun::ProcessListRunner::Outcome;
using namespace DocumentTest;

namespace {

// Create Substrate: an x*y*z volume with a block of material 1 over the whole base,
// `height` cells high.
ProcessData substrateStep(uint32_t x, uint32_t y, uint32_t z, uint32_t height, uint32_t material = 1)
{
    SubstrateParameters p;
    p.materialId = material;
    p.volumeSizeX = x;
    p.volumeSizeY = y;
    p.volumeSizeZ = z;
    p.substrateSizeX = x;
    p.substrateSizeY = y;
    p.substrateSizeZ = height;
    ProcessData step(11);
    const QMap<QString, QVariant> map = p.toParameterMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        step.setParameter(it.key(), it.value(), true);
    return step;
}

ProcessData cvdStep()
{
    ProcessData step(4);
    step.setParameter(QStringLiteral("Material_Id"), 3u, true);
    step.setParameter(QStringLiteral("Thickness"), 2.0f, true);
    return step;
}

class RunnerTest : public CatalogueTest::CatalogueFixture
{
protected:
    Core::Operations::OperationContext context;
};

} // namespace

TEST_F(RunnerTest, CreateSubstrateMakesTheKnownVolume)
{
    ProcessListRunner runner(context);
    std::vector<ProcessListRunner::StepReport> reports;
    runner.setStepObserver([&reports](const ProcessListRunner::StepReport &r) { reports.push_back(r); });
    const ProcessListRunner::Summary summary = runner.run({substrateStep(50, 40, 30, 10)});

    EXPECT_EQ(summary.outcome, Outcome::Completed);
    EXPECT_EQ(summary.stepsRun, 1);
    EXPECT_EQ(runner.progress(), 1);
    const auto volume = runner.getVolume();
    ASSERT_TRUE(volume);
    EXPECT_EQ(context.scene.objects(), std::vector<Model::ObjectPtr>{volume});
    EXPECT_EQ(volume->getSizeX(), 50u);
    EXPECT_EQ(volume->getSizeZ(), 30u);
    EXPECT_EQ(countCells(volume, 1), 50u * 40u * 10u);
    EXPECT_EQ(volume->materialIds()[volume->index(49, 39, 9)], 1u);
    EXPECT_EQ(volume->materialIds()[volume->index(0, 0, 10)], 0u);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].processName, QStringLiteral("Create Substrate"));
    EXPECT_EQ(reports[0].total, 1);
    EXPECT_EQ(reports[0].result, 0);
    // A fresh volume carries no process record, as after the menu operation.
    EXPECT_TRUE(context.lastProcessByVolume.empty());

    // A second substrate replaces the known volume; both are in the scene.
    runner.run({substrateStep(4, 4, 4, 1, 5)});
    EXPECT_NE(runner.getVolume(), volume);
    EXPECT_EQ(context.scene.objectCount(), 2);
    EXPECT_EQ(countCells(runner.getVolume(), 5), 16u);
}

TEST_F(RunnerTest, StopsWithoutAVolumeAndOnTheFirstFailure)
{
    {
        ProcessListRunner runner(context);
        const auto summary = runner.run({cvdStep(), substrateStep(2, 2, 2, 1)});
        EXPECT_EQ(summary.outcome, Outcome::MissingVolume);
        EXPECT_EQ(summary.stoppedAt, 0);
        EXPECT_EQ(runner.progress(), 0);
        EXPECT_EQ(context.scene.objectCount(), 0);
    }
    {
        // "Material_Id" missing: result 1, the steps after it do not run.
        ProcessData broken = substrateStep(3, 3, 3, 1);
        broken = ProcessData(11, [&] {
            QMap<QString, QVariant> p = broken.getParameters();
            p.remove(QStringLiteral("Material_Id"));
            return p;
        }(), broken.getVisibility(), false);
        ProcessListRunner runner(context);
        const auto summary = runner.run({substrateStep(2, 2, 2, 1), broken, substrateStep(6, 6, 6, 1)});
        EXPECT_EQ(summary.outcome, Outcome::StepFailed);
        EXPECT_EQ(summary.result, 1);
        EXPECT_EQ(summary.stoppedAt, 1);
        EXPECT_EQ(runner.progress(), 1);
        EXPECT_EQ(context.scene.objectCount(), 1);
        EXPECT_EQ(runner.getVolume()->getSizeX(), 2u);
    }
}

TEST_F(RunnerTest, ResultCodesAndMessages)
{
    ProcessListRunner runner(context);
    EXPECT_EQ(runner.runStep(substrateStep(2, 2, 2, 1)), 0);
    runner.registerStep(6, nullptr);
    EXPECT_EQ(runner.runStep(ProcessData(6)), 4); // known, no step registered
    EXPECT_EQ(runner.runStep(ProcessData(25)), 3);
    EXPECT_EQ(runner.runStep(ProcessData(-1)), 3);

    // Values of the wrong kind, sizes of 0 and volumes beyond memory are invalid (2).
    ProcessData text = substrateStep(2, 2, 2, 1);
    text.setParameter(QStringLiteral("Volume Size X"), QStringLiteral("many"), true);
    EXPECT_EQ(runner.runStep(text), 2);
    ProcessData corner = substrateStep(2, 2, 2, 1);
    corner.setParameter(QStringLiteral("Lower Left Front Corner"), 3u, true);
    EXPECT_EQ(runner.runStep(corner), 2);
    // Corners a document could not hold back (floats are stored) are refused too.
    const double inf = std::numeric_limits<double>::infinity();
    for (const Util::Vector3D &bad : {Util::Vector3D(1e39, 0, 0), Util::Vector3D(0, std::nan(""), 0),
                                      Util::Vector3D(0, 0, -inf), Util::Vector3D(0, -3.5e38, 0)}) {
        corner.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(bad), true);
        EXPECT_EQ(runner.runStep(corner), 2) << bad.x << " " << bad.y << " " << bad.z;
    }
    corner.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(3e38, -1e-40, 0)), true);
    EXPECT_EQ(runner.runStep(corner), 0);
    ProcessData negative = substrateStep(2, 2, 2, 1);
    negative.setParameter(QStringLiteral("Volume Size Y"), -2, true);
    EXPECT_EQ(runner.runStep(negative), 2);
    EXPECT_EQ(runner.runStep(substrateStep(0, 2, 2, 1)), 2);
    EXPECT_EQ(runner.runStep(substrateStep(4000000000u, 4000000000u, 4000000000u, 1)), 2);
    EXPECT_EQ(runner.runStep(substrateStep(100000, 100000, 100000, 1)), 2);
    // An invalid value (unknown type in the file) counts as missing.
    ProcessData unknown = substrateStep(2, 2, 2, 1);
    unknown.setParameter(QStringLiteral("Volume Size Z"), QVariant(), true);
    EXPECT_EQ(runner.runStep(unknown), 1);
    // Spherical: the ball's keys are required instead of the block's.
    ProcessData ball = substrateStep(9, 9, 9, 1);
    ball.setParameter(QStringLiteral("SphericalSubstrate"), true, true);
    EXPECT_EQ(runner.runStep(ball), 1);
    ball.setParameter(QStringLiteral("Substrate Center X"), 4u, true);
    ball.setParameter(QStringLiteral("Substrate Center Y"), 4u, true);
    ball.setParameter(QStringLiteral("Substrate Center Z"), 4u, true);
    ball.setParameter(QStringLiteral("Substrate Radius"), 1u, true);
    EXPECT_EQ(runner.runStep(ball), 0);
    EXPECT_EQ(countCells(runner.getVolume(), 1), 7u);
    EXPECT_EQ(context.scene.objectCount(), 3); // with the volume at 3e38

    EXPECT_EQ(ProcessListRunner::resultMessage(0), QStringLiteral("No error, process was run successfully."));
    EXPECT_EQ(ProcessListRunner::resultMessage(1),
              QStringLiteral("A required parameter was not found. Check input list."));
    EXPECT_EQ(ProcessListRunner::resultMessage(2),
              QStringLiteral("Value for a required parameter is invalid. Check input list."));
    EXPECT_EQ(ProcessListRunner::resultMessage(3), QStringLiteral("Unknown process. Remove process from the list."));
    EXPECT_EQ(ProcessListRunner::resultMessage(4),
              QStringLiteral("Process is not implemented. Remove process from the list."));
    EXPECT_EQ(ProcessListRunner::resultMessage(9), QStringLiteral("Unknown process. Remove process from the list."));
    EXPECT_EQ(ProcessListRunner::missingVolumeText,
              QStringLiteral("No cell volume was selected and a cell volume was not created. The cell "
                             "volume must be created before any other process."));
}

TEST_F(RunnerTest, SaveImageHandsTheNameToTheSaverAndFailsWithoutThePicture)
{
    ProcessListRunner runner(context);
    runner.setVolume(makeVolume(2, 2, 2));
    std::vector<QString> names;
    runner.setImageSaver([&names](const QString &name) {
        names.push_back(name);
        return name != QStringLiteral("bad.png");
    });
    ProcessData image(10);
    image.setParameter(QStringLiteral("Filename"), QStringLiteral("shot.png"), true);
    ProcessData failing(10);
    failing.setParameter(QStringLiteral("Filename"), QStringLiteral("bad.png"), true);
    ProcessData unnamed(10);

    // A picture that was not written fails its step: the run stops there.
    auto summary = runner.run({image, failing, unnamed});
    EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("shot.png"), QStringLiteral("bad.png")}));
    EXPECT_EQ(summary.outcome, Outcome::StepFailed);
    EXPECT_EQ(summary.result, ProcessListRunner::OutputFailed);
    EXPECT_EQ(summary.stoppedAt, 1);
    EXPECT_EQ(summary.stepsRun, 1);
    EXPECT_EQ(runner.progress(), 1);
    EXPECT_EQ(ProcessListRunner::resultMessage(5), QStringLiteral("The step's output could not be written."));

    summary = runner.run({image, unnamed});
    EXPECT_EQ(summary.result, 1); // the last one has no "Filename"
    EXPECT_EQ(summary.stepsRun, 1);
}

// Checking a step reads and judges its values as a run would, names what it reads, and
// changes nothing: no volume is made, no cell written, no picture asked for.
TEST_F(RunnerTest, CheckingAStepChangesNothing)
{
    ProcessListRunner runner(context);
    const auto volume = makeVolume(4, 4, 4);
    runner.setVolume(volume);
    bool saverCalled = false;
    runner.setImageSaver([&saverCalled](const QString &) { return saverCalled = true; });

    auto checked = runner.checkStep(cvdStep());
    EXPECT_EQ(checked.result, 0);
    EXPECT_TRUE(checked.rejection.isEmpty());
    EXPECT_EQ(checked.parametersRead, QStringList({"Material_Id", "Thickness"}));

    ProcessData thin = cvdStep();
    thin.setParameter(QStringLiteral("Thickness"), -1.0f, true);
    checked = runner.checkStep(thin);
    EXPECT_EQ(checked.result, 2);
    EXPECT_EQ(checked.rejection, QStringLiteral("the thickness or depth must be a number of 0 or more"));

    // The parameters of the substrate's shape: a block's, or after the switch a ball's.
    ProcessData block = substrateStep(8, 8, 8, 2);
    checked = runner.checkStep(block);
    EXPECT_EQ(checked.result, 0);
    EXPECT_TRUE(checked.parametersRead.contains("Substrate Delta Z"));
    EXPECT_FALSE(checked.parametersRead.contains("Substrate Radius"));
    block.setParameter(QStringLiteral("Volume Size X"), 0u, true);
    checked = runner.checkStep(block);
    EXPECT_EQ(checked.result, 2);
    EXPECT_EQ(checked.rejection, QStringLiteral("the volume has a size of 0"));
    // Too large to be held: refused by the same limit the run applies, with nothing allocated.
    block.setParameter(QStringLiteral("Volume Size X"), 4000000000u, true);
    block.setParameter(QStringLiteral("Volume Size Y"), 4000000000u, true);
    EXPECT_EQ(runner.checkStep(block).result, 2);

    ProcessData image(10);
    image.setParameter(QStringLiteral("Filename"), QStringLiteral("shot.png"), true);
    EXPECT_EQ(runner.checkStep(image).result, 0);
    EXPECT_EQ(runner.checkStep(ProcessData(10)).result, 1);
    EXPECT_EQ(runner.checkStep(ProcessData(9999)).result, 3);

    EXPECT_FALSE(saverCalled);
    EXPECT_EQ(context.scene.objectCount(), 0);
    EXPECT_EQ(countCells(volume, 3), 0u);
    EXPECT_EQ(runner.getVolume(), volume);
    EXPECT_TRUE(context.lastProcessByVolume.empty());
}

TEST_F(RunnerTest, HandlersRecordTheirProcessAndCanBeAdded)
{
    ProcessListRunner runner(context);
    const auto volume = makeVolume(3, 3, 3);
    runner.setVolume(volume);
    EXPECT_TRUE(runner.hasHandler(4)); // built in; replaced below
    runner.registerStep(4, [](Core::BatchRun::StepEnvironment &env, const ProcessData &step) {
        if (step.getProcessParameter(QStringLiteral("Material_Id")).toUInt() == 1)
            env.latticeStale[env.volume->getId()] = true;
        return int32_t(0);
    }, 13);
    EXPECT_TRUE(runner.hasHandler(4));
    const auto summary = runner.run({cvdStep()});
    EXPECT_EQ(summary.outcome, Outcome::Completed);
    EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), 13);
    EXPECT_TRUE(context.latticeStale.empty());

    // A failing handler records nothing.
    context.lastProcessByVolume.clear();
    runner.registerStep(4, [](Core::BatchRun::StepEnvironment &, const ProcessData &) { return int32_t(2); }, 13);
    EXPECT_EQ(runner.runStep(cvdStep()), 2);
    EXPECT_TRUE(context.lastProcessByVolume.empty());
    // A handler that throws is a failed step, not a crash.
    runner.registerStep(4, [](Core::BatchRun::StepEnvironment &, const ProcessData &) -> int32_t { throw std::bad_alloc(); });
    EXPECT_EQ(runner.runStep(cvdStep()), 2);
}

TEST_F(RunnerTest, CancelsBetweenStepsAndRunsOnAWorker)
{
    ProcessListRunner runner(context);
    runner.setStepObserver([&runner](const ProcessListRunner::StepReport &r) {
        if (r.index == 1)
            runner.requestCancel();
    });
    const ProcessList list = {substrateStep(2, 2, 2, 1), substrateStep(3, 3, 3, 1), substrateStep(4, 4, 4, 1)};
    const auto summary = runner.run(list);
    EXPECT_EQ(summary.outcome, Outcome::Cancelled);
    EXPECT_EQ(summary.stoppedAt, 2);
    EXPECT_EQ(runner.progress(), 2);
    EXPECT_EQ(runner.getVolume()->getSizeX(), 3u); // the steps done stay, the third never ran

    // A cancel asked for before the run starts (a worker not yet there) stops it before
    // its first step; the run drops it when it returns, and clearCancel() drops a late one.
    runner.setStepObserver(nullptr);
    runner.requestCancel();
    const auto early = runner.run(list);
    EXPECT_EQ(early.outcome, Outcome::Cancelled);
    EXPECT_EQ(early.stoppedAt, 0);
    EXPECT_EQ(early.stepsRun, 0);
    EXPECT_EQ(runner.getVolume()->getSizeX(), 3u);
    runner.requestCancel();
    runner.clearCancel();

    // The batch dialog's way: one worker task, progress read from this thread.
    ProcessListRunner::Summary result;
    std::thread worker([&] { result = runner.run(list); });
    worker.join();
    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_EQ(runner.progress(), 3);
    EXPECT_FALSE(runner.isRunning());
    EXPECT_EQ(runner.getVolume()->getSizeX(), 4u);
}

// A photolithography step naming a layout: the layout and its placement replace the
// stored bits, a name without a folder is the list's neighbour, and a placement or file
// the step cannot use is refused, with the reason, before anything changes.
TEST_F(RunnerTest, PhotolithographyReadsALayoutFromTheListsFolder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ProcessListRunner runner(context);
    runner.setListFolder(folder.path());
    // Silicon at z 0, positive resist at z 1..2, on 4 x 4 columns.
    std::vector<uint32_t> ids(4 * 4 * 4, 0);
    const auto volume = makeVolume(4, 4, 4);
    for (uint32_t x = 0; x < 4; ++x)
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t z = 0; z < 3; ++z)
                ids[volume->index(x, y, z)] = z == 0 ? 1 : 11;
    runner.setVolume(makeVolume(4, 4, 4, ids));

    // Written by hand: no stored bits on the top side at all.
    ProcessData step(0);
    step.setParameter(QStringLiteral("Material_Id"), 11u, false);
    step.setParameter(QStringLiteral("Top Mask Layout"), QStringLiteral("mask.gds"), true);
    step.setParameter(QStringLiteral("Top Mask Layer"), 1, true);
    step.setParameter(QStringLiteral("Top Mask Offset X"), 1.0, true);
    step.setParameter(QStringLiteral("Bottom Mask"), QVariant::fromValue(Core::BatchRun::MaskBitmap()), false);
    step.setParameter(QStringLiteral("Bottom Mask Width"), 0u, true);
    step.setParameter(QStringLiteral("Bottom Mask Height"), 0u, true);

    auto checked = runner.checkStep(step);
    EXPECT_EQ(checked.result, 2);
    EXPECT_EQ(checked.rejection, QStringLiteral("the top mask layout %1 cannot be read: no such file")
                                     .arg(QDir(folder.path()).filePath("mask.gds")));
    EXPECT_TRUE(checked.parametersRead.contains("Top Mask Offset X"));
    EXPECT_FALSE(checked.parametersRead.contains("Top Mask Width"));
    EXPECT_TRUE(checked.parametersRead.contains("Bottom Mask Width"));

    // A rectangle over x 0..2, y 0..2 microns, shifted one column along x.
    const QString error = GdsWriter::write(QDir(folder.path()).filePath("mask.gds"), QStringLiteral(R"(
top = gdspy.Cell('TOP')
top.add(gdspy.Rectangle((0, 0), (2, 2), layer=1))
lib.add(top)
lib.write_gds(out)
)"));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(runner.checkStep(step).result, 0);

    struct Case
    {
        const char *name;
        QVariant value;
        const char *reason;
    };
    const Case refused[] = {
        {"Top Mask Layer", -1, "Top Mask Layer must be a layer number from 0 to 65535"},
        {"Top Mask Datatype", -2, "Top Mask Datatype must be -1 (every datatype) or a datatype from 0 to 65535"},
        {"Top Mask Scale", std::numeric_limits<double>::quiet_NaN(),
         "Top Mask Scale must be a number of cells per micron above 0 and at most 1e+06"},
        {"Top Mask Offset Y", std::numeric_limits<double>::infinity(),
         "Top Mask Offset X and Y must be numbers of cells from -1e+07 to 1e+07"},
    };
    for (const Case &c : refused) {
        ProcessData bad = step;
        bad.setParameter(QString::fromLatin1(c.name), c.value, true);
        checked = runner.checkStep(bad);
        EXPECT_EQ(checked.result, 2) << c.name;
        EXPECT_EQ(checked.rejection, QString::fromLatin1(c.reason)) << c.name;
        QString why;
        EXPECT_EQ(runner.runStep(bad, &why), 2) << c.name;
        EXPECT_EQ(why, QString::fromLatin1(c.reason)) << c.name;
    }
    ProcessData noLayer(0);
    for (auto it = step.getParameters().cbegin(); it != step.getParameters().cend(); ++it)
        if (it.key() != QLatin1String("Top Mask Layer"))
            noLayer.setParameter(it.key(), it.value(), true);
    EXPECT_EQ(runner.checkStep(noLayer).result, 1);
    // An empty layout name means the stored bits, which this step does not have.
    ProcessData unnamed = step;
    unnamed.setParameter(QStringLiteral("Top Mask Layout"), QString(), true);
    EXPECT_EQ(runner.checkStep(unnamed).result, 1);
    EXPECT_EQ(countCells(runner.getVolume(), 11), 32u);

    // The run: resist stays in columns x 1..2, y 0..1 only.
    QString why = QStringLiteral("stale");
    ASSERT_EQ(runner.runStep(step, &why), 0);
    EXPECT_TRUE(why.isEmpty());
    const auto after = runner.getVolume();
    for (uint32_t x = 0; x < 4; ++x)
        for (uint32_t y = 0; y < 4; ++y) {
            const bool kept = x >= 1 && x <= 2 && y <= 1;
            EXPECT_EQ(after->materialIds()[after->index(x, y, 1)], kept ? 11u : 0u) << x << ", " << y;
            EXPECT_EQ(after->materialIds()[after->index(x, y, 0)], 1u);
        }
    EXPECT_EQ(countCells(after, 11), 8u);
}
