// The batch-run dialog: editing a list through the real step dialogs, files, and runs
// on a worker thread.
#include "Core/BatchRun/registeredstep.h"
#include "Core/Processes/processregistry.h"
#include "Core/BatchRun/processlistfile.h"
#include "Core/Operations/CreateSubstrate/substrateparameters.h"
#include "Core/Operations/operationcontext.h"
#include "UI/BatchRun/batchruncontroller.h"
#include "UI/BatchRun/movetodialog.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/glwidget.h"
#include "../common/gdswriter.h"
#include "dialogtestsupport.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QProcess>
#include <QSpinBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTreeWidget>

using Core::Operations::OperationContext;
using Core::BatchRun::ProcessData;
using Ui::RunProcessesDialog;

namespace {

QPushButton *button(QDialog &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QString::fromLatin1(name));
}

QStringList column(QTreeWidget *tree, int c)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(c);
    return texts;
}

// Waits (processing events) until `done` holds or about a minute has passed.
template <class Condition>
bool waitFor(Condition done)
{
    for (int i = 0; i < 1200 && !done(); ++i)
        QTest::qWait(50);
    return done();
}

Model::Automaton::TotalVolumePtr substrate(OperationContext &context)
{
    Core::Operations::SubstrateParameters p;
    p.materialId = 1;
    p.volumeSizeX = p.volumeSizeY = 20;
    p.volumeSizeZ = 12;
    p.substrateSizeX = p.substrateSizeY = 20;
    p.substrateSizeZ = 6;
    auto volume = p.buildVolume();
    context.scene.add(volume);
    return volume;
}

} // namespace

TEST(RunProcessesDialogRun, MissingVolumeIsReportedAndTheCounterReset)
{
    OperationContext context;
    QTemporaryDir dir;
    const QString file = dir.filePath("cvd.plst");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(
        file, {DialogTest::step(4, {{"Material_Id", 2u}, {"Thickness", 1.0f}})}));
    RunProcessesDialog dialog(context, nullptr, nullptr, file);
    EXPECT_EQ(dialog.windowTitle(), "Batch Run " + file);
    EXPECT_FALSE(dialog.progress()->isEnabled());
    dialog.show();

    QString boxTitle;
    DialogTest::whenModalAppears([&](QDialog *box) {
        boxTitle = box->windowTitle();
        box->reject();
    });
    button(dialog, "btnRun")->click();
    EXPECT_TRUE(dialog.progress()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return !boxTitle.isEmpty(); }));
    EXPECT_EQ(boxTitle, "Missing Cell Volume");
    EXPECT_EQ(dialog.progress()->value(), 0);
    EXPECT_EQ(context.scene.objectCount(), 0);
}

// Answers the next question box with `answer`, noting its text in `asked`.
void answerQuestion(QMessageBox::StandardButton answer, QStringList *asked)
{
    DialogTest::whenModalAppears<QMessageBox>([answer, asked](QMessageBox *box) {
        *asked << box->text();
        ASSERT_NE(box->button(answer), nullptr);
        box->button(answer)->click();
    });
}

// While a step runs the dialog answers and shows progress; Close and Escape ask whether to
// cancel, and "No" goes on. Afterwards the document is written, and closing clears the
// mask overlays.
TEST(RunProcessesDialogRun, StaysResponsiveAndAsksBeforeClosingDuringARun)
{
    OperationContext context;
    const auto volume = substrate(context);
    volume->setTopMask({true}, 1, 1);
    QTemporaryDir dir;
    const QString file = dir.filePath("two.plst");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(file, {ProcessData(2), ProcessData(2)}));
    RunProcessesDialog dialog(context, nullptr, volume, file);
    ASSERT_EQ(dialog.getList().size(), 2u);
    dialog.documentPathEdit()->setText(dir.filePath("after.mem"));
    // Process type 2 is replaced by a step that waits until the test lets it go.
    QSemaphore go;
    dialog.getRunner().registerStep(2, [&](Core::BatchRun::StepEnvironment &, const ProcessData &) {
        go.acquire();
        return 0;
    });
    dialog.show();

    button(dialog, "btnRun")->click();
    EXPECT_TRUE(dialog.isRunning());
    EXPECT_FALSE(button(dialog, "btnRun")->isEnabled());
    go.release();
    ASSERT_TRUE(waitFor([&] { return dialog.progress()->value() == 1; }));
    QStringList asked;
    answerQuestion(QMessageBox::No, &asked);
    button(dialog, "btnClose")->click();
    answerQuestion(QMessageBox::No, &asked);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QApplication::processEvents();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].toStdString(),
              "A process list is running. Cancel the run when the step in progress ends, and close?");
    EXPECT_EQ(asked[1], asked[0]);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.isRunning());
    // Editing goes on meanwhile, on the dialog's own copy of the list.
    dialog.selectStep(0);
    button(dialog, "btnRemoveProcess")->click();
    EXPECT_EQ(dialog.getList().size(), 1u);

    go.release();
    ASSERT_TRUE(waitFor([&] { return button(dialog, "btnRun")->isEnabled(); }));
    EXPECT_EQ(dialog.progress()->value(), 2);
    EXPECT_TRUE(dialog.statusLabel()->text().startsWith("All 2 steps ran.")) << dialog.statusLabel()->text().toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("after.mem")));
    button(dialog, "btnClose")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(volume->getTopMask().empty());
}

namespace {

// Runs steps of types 2 and 4 (Moore deposition, CVD) as the program does, each once the
// test lets it go; counts the steps that started. Made before the dialog, so that it
// outlives the dialog's worker.
struct GatedSteps
{
    void install(Core::BatchRun::ProcessListRunner &runner)
    {
        runner.registerStep(2, [this](Core::BatchRun::StepEnvironment &e, const ProcessData &s) {
            ++started;
            go.acquire();
            return Core::BatchRun::runDescribedStep(*Core::Processes::ProcessRegistry::instance().byBatchType(2), e, s);
        });
        runner.registerStep(4, [this](Core::BatchRun::StepEnvironment &e, const ProcessData &s) {
            ++started;
            go.acquire();
            return Core::BatchRun::runDescribedStep(*Core::Processes::ProcessRegistry::instance().byBatchType(4), e, s);
        });
    }
    QSemaphore go;
    std::atomic<int> started{0};
};

ProcessData film(int32_t type, uint32_t material)
{
    return DialogTest::step(type, {{"Material_Id", material}, {"Thickness", 1.0f}});
}

} // namespace

// Cancel during step 2 of 4: the step in progress ends, the run stops there, and the
// volume holds exactly what steps 1 and 2 alone make. The progress line names the step,
// its time so far and, once a step has ended, the time left.
TEST(RunProcessesDialogRun, CancelStopsAfterTheStepInProgressAndKeepsTheStepsDone)
{
    OperationContext context;
    const auto volume = substrate(context);
    const Core::BatchRun::ProcessList steps = {film(2, 2), film(4, 3), film(2, 4), film(4, 5)};
    QTemporaryDir dir;
    const QString file = dir.filePath("four.plst");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(file, steps));
    GatedSteps gate;
    RunProcessesDialog dialog(context, nullptr, volume, file);
    gate.install(dialog.getRunner());
    // A test that fails midway still lets the worker end.
    const auto openAtEnd = qScopeGuard([&] { gate.go.release(100); });
    std::vector<int> finished;
    QObject::connect(&dialog, &RunProcessesDialog::stepFinished, [&](int index) { finished.push_back(index); });
    dialog.show();
    QPushButton *cancel = button(dialog, "btnCancel");
    EXPECT_FALSE(cancel->isEnabled());

    button(dialog, "btnRun")->click();
    EXPECT_TRUE(cancel->isEnabled());
    const QRegularExpression firstLine(
        "^Step 1 of 4 \\(Moore deposition\\) running for \\d+\\.\\d s; time left not known until the first "
        "step ends\\.$");
    EXPECT_TRUE(firstLine.match(dialog.statusLabel()->text()).hasMatch()) << dialog.statusLabel()->text().toStdString();
    gate.go.release();
    ASSERT_TRUE(waitFor([&] { return !finished.empty(); }));
    EXPECT_EQ(finished, std::vector<int>{0});
    // Step 2 waits at the gate: the line moves on to it, with an estimate.
    const QRegularExpression secondLine(
        "^Step 2 of 4 \\(CVD\\) running for (\\d+\\.\\d) s; about \\d+\\.\\d s left\\.$");
    ASSERT_TRUE(waitFor([&] { return secondLine.match(dialog.statusLabel()->text()).hasMatch(); }))
        << dialog.statusLabel()->text().toStdString();
    // The time of the step grows while it runs.
    const double first = secondLine.match(dialog.statusLabel()->text()).captured(1).toDouble();
    ASSERT_TRUE(waitFor([&] {
        const auto m = secondLine.match(dialog.statusLabel()->text());
        return m.hasMatch() && m.captured(1).toDouble() > first;
    })) << dialog.statusLabel()->text().toStdString();
    // Step 2 has begun (a cancel before it began would stop the run after step 1).
    ASSERT_TRUE(waitFor([&] { return gate.started.load() == 2; }));

    cancel->click();
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_TRUE(dialog.statusLabel()->text().startsWith("Step 2 of 4 (CVD) running for "));
    EXPECT_TRUE(dialog.statusLabel()->text().endsWith("; the run stops when this step ends."))
        << dialog.statusLabel()->text().toStdString();
    gate.go.release();
    ASSERT_TRUE(waitFor([&] { return button(dialog, "btnRun")->isEnabled(); }));
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_EQ(gate.started.load(), 2) << "steps 3 and 4 never started";
    EXPECT_EQ(finished, (std::vector<int>{0, 1}));
    EXPECT_EQ(dialog.progress()->value(), 2);
    EXPECT_EQ(dialog.statusLabel()->text().toStdString(),
              "Cancelled after step 2 (CVD): 2 of 4 steps ran and stay applied; steps 3 and 4 did not run.");

    // The same cells as steps 1 and 2 alone.
    OperationContext alone;
    const auto reference = substrate(alone);
    Core::BatchRun::ProcessListRunner runner(alone);
    runner.setVolume(reference);
    ASSERT_EQ(runner.run({steps[0], steps[1]}).outcome, Core::BatchRun::ProcessListRunner::Outcome::Completed);
    const std::vector<uint32_t> ids = volume->materialIds();
    EXPECT_EQ(ids, reference->materialIds());
    EXPECT_NE(std::count(ids.begin(), ids.end(), 3u), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 4u), 0);

    // A later run is not cancelled by the earlier cancel.
    gate.go.release(4);
    button(dialog, "btnRun")->click();
    ASSERT_TRUE(waitFor([&] { return button(dialog, "btnRun")->isEnabled(); }));
    EXPECT_EQ(dialog.statusLabel()->text(), "All 4 steps ran.");
}

// Closing during a run and answering "Yes" cancels it; the dialog closes once the step in
// progress ends. A list of one step says so in the singular.
TEST(RunProcessesDialogRun, CloseDuringARunCancelsItAndClosesWhenTheStepEnds)
{
    OperationContext context;
    const auto volume = substrate(context);
    QTemporaryDir dir;
    const QString file = dir.filePath("three.plst");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(file, {film(2, 2), film(2, 3), film(2, 4)}));
    GatedSteps gate;
    RunProcessesDialog dialog(context, nullptr, volume, file);
    gate.install(dialog.getRunner());
    // A test that fails midway still lets the worker end.
    const auto openAtEnd = qScopeGuard([&] { gate.go.release(100); });
    dialog.show();

    button(dialog, "btnRun")->click();
    // Step 1 has begun (a cancel before it began would stop the run before step 1).
    ASSERT_TRUE(waitFor([&] { return gate.started.load() == 1; }));
    QStringList asked;
    answerQuestion(QMessageBox::Yes, &asked);
    dialog.close(); // as the window's close button
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(dialog.isVisible()) << "step 1 is still in progress";
    EXPECT_TRUE(dialog.statusLabel()->text().endsWith("; the run stops when this step ends."))
        << dialog.statusLabel()->text().toStdString();
    // Asked once: closing again meanwhile waits for the run without a second question
    // (one that came would be answered, and counted).
    answerQuestion(QMessageBox::No, &asked);
    button(dialog, "btnClose")->click();
    QApplication::processEvents();
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(dialog.isVisible());

    gate.go.release();
    ASSERT_TRUE(waitFor([&] { return !dialog.isVisible(); }));
    EXPECT_FALSE(dialog.isRunning());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(gate.started.load(), 1);
    EXPECT_EQ(dialog.statusLabel()->text().toStdString(),
              "Cancelled after step 1 (Moore deposition): 1 of 3 steps ran and stay applied; steps 2 and 3 "
              "did not run.");
    const std::vector<uint32_t> ids = volume->materialIds();
    EXPECT_NE(std::count(ids.begin(), ids.end(), 2u), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 3u), 0);

    // One step: "1 step ran."
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(file, {film(2, 5)}));
    RunProcessesDialog single(context, nullptr, volume, file);
    single.show();
    button(single, "btnRun")->click();
    ASSERT_TRUE(waitFor([&] { return button(single, "btnRun")->isEnabled(); }));
    EXPECT_EQ(single.statusLabel()->text(), "1 step ran.");
}

// A Save Image step whose picture is not written (here: no view to draw) stops the run
// as a failed step, says why, and the document after the run is still written.
TEST(RunProcessesDialogRun, SaveImageStepWithoutItsPictureFails)
{
    OperationContext context;
    const auto volume = substrate(context);
    QTemporaryDir dir;
    const QString file = dir.filePath("picture.plst");
    const QString picture = dir.filePath("shot.png");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(
        file, {DialogTest::step(2, {{"Material_Id", 2u}, {"Thickness", 1.0f}}), DialogTest::step(10, {{"Filename", picture}})}));
    RunProcessesDialog dialog(context, nullptr, volume, file);
    dialog.documentPathEdit()->setText(dir.filePath("after.mem"));
    dialog.show();

    button(dialog, "btnRun")->click();
    ASSERT_TRUE(waitFor([&] { return button(dialog, "btnRun")->isEnabled(); }));
    EXPECT_EQ(dialog.progress()->value(), 1);
    EXPECT_EQ(dialog.statusLabel()->text().toStdString(),
              ("Stopped at step 2 (Save Image): The step's output could not be written. The image " + picture +
               " was not written: there is no view to draw. The document was saved to " + dir.filePath("after.mem") +
               ".")
                  .toStdString());
    EXPECT_FALSE(QFile::exists(picture));
    EXPECT_TRUE(QFile::exists(dir.filePath("after.mem")));
}

namespace {

// Chooses a process type in the dialog's list and adds it, acting on its step dialog.
void addStep(RunProcessesDialog &dialog, const QString &entry, std::function<void(QDialog *)> act)
{
    dialog.processTypes()->setCurrentIndex(dialog.processTypes()->findText(entry));
    ASSERT_EQ(dialog.processTypes()->currentText(), entry);
    DialogTest::whenDialogOpens(std::move(act));
    button(dialog, "btnAddProcess")->click();
}

void accept(QDialog *d) { d->accept(); }

// Answers the next file dialog with `path`.
void chooseFile(const QString &path)
{
    DialogTest::whenDialogOpens([path](QDialog *d) {
        auto *chooser = qobject_cast<QFileDialog *>(d);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->windowTitle(), RunProcessesDialog::fileCaption);
        EXPECT_EQ(chooser->nameFilters(), QStringList{RunProcessesDialog::fileFilter});
        DialogTest::chooseFile(chooser, path);
    });
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(RunProcessesDialogEditing, AddMoveModifyRemoveAndNewList)
{
    OperationContext context;
    RunProcessesDialog dialog(context, nullptr, nullptr);
    dialog.show();
    QTreeWidget *tree = dialog.tree();

    bool boxShown = false;
    QTimer::singleShot(0, [&] {
        if (auto *box = QApplication::activeModalWidget()) {
            boxShown = true;
            box->close();
        }
    });
    button(dialog, "btnNewList")->click();
    QApplication::processEvents();
    EXPECT_FALSE(boxShown) << "a new list over an empty one asks nothing";

    addStep(dialog, "CVD", [](QDialog *d) {
        DialogTest::type(d->findChild<QDoubleSpinBox *>(), "2.5");
        d->accept();
    });
    addStep(dialog, "Si Wet Etching", accept);
    addStep(dialog, "Planarization", [](QDialog *d) { d->reject(); }); // adds nothing
    addStep(dialog, "Planarization", accept);
    EXPECT_EQ(column(tree, 0), QStringList({"1", "2", "3"}));
    EXPECT_EQ(column(tree, 1), QStringList({"CVD", "Si wet etching", "Planarization"}));
    EXPECT_FALSE(tree->headerItem()->text(2) != "Parameter" || tree->headerItem()->text(3) != "Value");
    // Shown parameters of the CVD step, the material with its colour swatch.
    QTreeWidgetItem *cvd = tree->topLevelItem(0);
    QStringList shown;
    for (int i = 0; i < cvd->childCount(); ++i)
        shown << cvd->child(i)->text(2);
    EXPECT_EQ(shown, QStringList({"Material", "Thickness"}));
    EXPECT_FALSE(cvd->child(0)->icon(3).isNull());
    EXPECT_EQ(cvd->child(1)->text(3), "2.5");

    dialog.selectStep(2);
    button(dialog, "btnMoveUp")->click();
    EXPECT_EQ(column(tree, 1), QStringList({"CVD", "Planarization", "Si wet etching"}));
    EXPECT_EQ(dialog.selectedStep(), 1);
    dialog.selectStep(0);
    button(dialog, "btnMoveUp")->click(); // the first step stays
    EXPECT_EQ(column(tree, 1).front(), "CVD");

    dialog.selectStep(2);
    DialogTest::whenDialogOpens([](QDialog *d) {
        auto *moveTo = qobject_cast<UtilDialog::MoveTo *>(d);
        ASSERT_NE(moveTo, nullptr);
        EXPECT_EQ(moveTo->windowTitle(), "Dialog");
        EXPECT_TRUE(moveTo->afterButton()->isChecked());
        ASSERT_EQ(moveTo->targetBox()->count(), 2);
        EXPECT_EQ(moveTo->targetBox()->itemText(0), "1 CVD");
        moveTo->targetBox()->setCurrentIndex(0);
        DialogTest::click(moveTo->beforeButton());
        d->accept();
    });
    button(dialog, "btnMoveTo")->click();
    EXPECT_EQ(column(tree, 1), QStringList({"Si wet etching", "CVD", "Planarization"}));
    EXPECT_EQ(dialog.selectedStep(), 0);

    // A double click on a parameter opens its step's dialog, preset from the step; the
    // expanded state survives the refresh.
    tree->topLevelItem(1)->setExpanded(true);
    QTreeWidgetItem *thickness = tree->topLevelItem(1)->child(1);
    tree->scrollToItem(thickness);
    QApplication::processEvents();
    const QRect cell = tree->visualItemRect(thickness);
    ASSERT_TRUE(cell.isValid());
    QString title;
    double preset = 0;
    DialogTest::whenDialogOpens([&](QDialog *d) {
        title = d->windowTitle();
        auto *box = d->findChild<QDoubleSpinBox *>();
        preset = box->value();
        DialogTest::type(box, "4");
        d->accept();
    });
    // As a window system delivers a double click: press, release, double click.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(title, "Isotropic Film Deposition");
    EXPECT_DOUBLE_EQ(preset, 2.5);
    EXPECT_EQ(dialog.getList()[1].getProcessParameter("Thickness").toDouble(), 4.0);
    EXPECT_TRUE(dialog.getList()[1].isExpanded());
    EXPECT_TRUE(tree->topLevelItem(1)->isExpanded());
    tree->topLevelItem(1)->setExpanded(false);
    EXPECT_FALSE(dialog.getList()[1].isExpanded());

    dialog.selectStep(0);
    button(dialog, "btnRemoveProcess")->click();
    EXPECT_EQ(column(tree, 0), QStringList({"1", "2"}));

    DialogTest::whenDialogOpens([](QDialog *d) {
        auto *box = qobject_cast<QMessageBox *>(d);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Creating a new process list.");
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Save));
        box->button(QMessageBox::Discard)->click();
    });
    button(dialog, "btnNewList")->click();
    EXPECT_TRUE(dialog.getList().empty());
    EXPECT_EQ(dialog.windowTitle(), "Batch Run");
}

// A list written only through the dialog is saved and loaded unchanged, and runs in
// the dialog to the same cells as in the headless runner.
TEST(RunProcessesDialogEditing, ListBuiltInTheDialogRunsAsInTheHeadlessRunner)
{
    OperationContext context;
    QTemporaryDir dir;
    const QString first = dir.filePath("flow.plst");
    const QString second = dir.filePath("again.plst");
    {
        RunProcessesDialog dialog(context, nullptr, nullptr);
        dialog.show();
        addStep(dialog, "Create Substrate", [](QDialog *d) {
            auto *substrate = qobject_cast<Ui::Operations::CreateSubstrateDialog *>(d);
            ASSERT_NE(substrate, nullptr);
            for (int axis = 0; axis < 3; ++axis)
                substrate->volumeSize(axis)->setValue(axis == 2 ? 14 : 18);
            substrate->substrateSize(2)->setValue(6);
            d->accept();
        });
        addStep(dialog, "CVD", [](QDialog *d) {
            DialogTest::type(d->findChild<QDoubleSpinBox *>(), "1.5");
            d->accept();
        });
        addStep(dialog, "RIE", [](QDialog *d) {
            d->findChild<QSpinBox *>()->setValue(2);
            d->accept();
        });
        ASSERT_EQ(dialog.getList().size(), 3u);
        chooseFile(first);
        button(dialog, "btnSaveList")->click(); // no name yet: asks for one
        EXPECT_EQ(dialog.windowTitle(), "Batch Run " + first);
        button(dialog, "btnClose")->click();
    }

    RunProcessesDialog dialog(context, nullptr, nullptr);
    dialog.show();
    chooseFile(first);
    button(dialog, "btnLoadList")->click();
    ASSERT_EQ(dialog.getList().size(), 3u);
    EXPECT_EQ(dialog.getFileName(), first);
    chooseFile(second);
    button(dialog, "btnSaveListAs")->click();
    EXPECT_EQ(contents(second), contents(first));
    {
        // The same for a list of every step type.
        const QString every = QStringLiteral(KELVANE_EXAMPLES_DIR "/allsteps.plst");
        RunProcessesDialog all(context, nullptr, nullptr, every);
        ASSERT_EQ(all.getList().size(), 22u);
        chooseFile(dir.filePath("all.plst"));
        button(all, "btnSaveListAs")->click();
        EXPECT_EQ(contents(dir.filePath("all.plst")), contents(every));
    }

    const QString document = dir.filePath("dialog.mem");
    dialog.documentPathEdit()->setText(document);
    button(dialog, "btnRun")->click();
    ASSERT_TRUE(waitFor([&] { return button(dialog, "btnRun")->isEnabled(); }));
    EXPECT_EQ(dialog.progress()->value(), 3);
    EXPECT_EQ(context.scene.objectCount(), 1);

    const QString headless = dir.filePath("headless.mem");
    QProcess batch;
    batch.start(QStringLiteral(KELVANE_BATCH_EXE), {second, "--output", headless, "--quiet"});
    ASSERT_TRUE(batch.waitForFinished(120000));
    EXPECT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    // The objects part (the material catalogue before it belongs to each program).
    const QByteArray fromDialog = contents(document);
    const QByteArray fromBatch = contents(headless);
    ASSERT_GT(fromDialog.indexOf("<Object"), 0);
    EXPECT_EQ(fromDialog.mid(fromDialog.indexOf("<Object")), fromBatch.mid(fromBatch.indexOf("<Object")));
}

// A list whose photolithography names a layout beside the list file: the dialog's run
// rasterises it onto the volume it runs on.
TEST(RunProcessesDialogRun, LayoutMaskIsTakenFromTheListsFolder)
{
    OperationContext context;
    const auto volume = substrate(context);
    QTemporaryDir dir;
    const QString error = GdsWriter::write(dir.filePath("bar.gds"), QStringLiteral(R"(
top = gdspy.Cell('TOP')
top.add(gdspy.Rectangle((0, 0), (2, 1), layer=1))
top.add(gdspy.Rectangle((0, 0), (20, 20), layer=2))
lib.add(top)
lib.write_gds(out)
)"));
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    const QString file = dir.filePath("layout.plst");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(
        file, {DialogTest::step(9, {{"Material_Id", 11u}, {"Maximum Height", 8u}}),
               DialogTest::step(0, {{"Material_Id", 11u},
                                    {"Top Mask Layout", QStringLiteral("bar.gds")},
                                    {"Top Mask Layer", 1},
                                    {"Bottom Mask", QVariant::fromValue(Core::BatchRun::MaskBitmap())},
                                    {"Bottom Mask Width", 0u},
                                    {"Bottom Mask Height", 0u}})}));
    RunProcessesDialog dialog(context, nullptr, volume, file);
    dialog.show();
    button(dialog, "btnRun")->click();
    ASSERT_TRUE(waitFor([&] { return button(dialog, "btnRun")->isEnabled(); }));
    EXPECT_EQ(dialog.progress()->value(), 2) << dialog.statusLabel()->text().toStdString();
    // Resist (z 6..7) stays only over columns (0, 0) and (1, 0).
    const std::vector<uint32_t> ids = volume->materialIds();
    for (uint32_t x = 0; x < 20; ++x)
        for (uint32_t y = 0; y < 20; ++y) {
            const bool kept = x < 2 && y == 0;
            ASSERT_EQ(ids[volume->index(x, y, 6)], kept ? 11u : 0u) << x << ", " << y;
            ASSERT_EQ(ids[volume->index(x, y, 7)], kept ? 11u : 0u) << x << ", " << y;
            ASSERT_EQ(ids[volume->index(x, y, 5)], 1u) << x << ", " << y;
        }

    // Gone: the step fails and the status says why.
    ASSERT_TRUE(QFile::remove(dir.filePath("bar.gds")));
    button(dialog, "btnRun")->click();
    ASSERT_TRUE(waitFor([&] { return button(dialog, "btnRun")->isEnabled(); }));
    EXPECT_EQ(dialog.progress()->value(), 1);
    EXPECT_EQ(dialog.statusLabel()->text().toStdString(),
              ("Stopped at step 2 (Photolithography): Value for a required parameter is invalid. Check input list. "
               "The step says: the top mask layout " + dir.filePath("bar.gds") + " cannot be read: no such file.")
                  .toStdString());
}

// The controller on its own, as a window other than the dialog would drive it: a run of
// four steps whose second saves the view's picture (the worker waits while the GUI thread
// draws it), cancelled while step 3 is in progress.
TEST(BatchRunController, ReportsTheStepsDrawsThePictureAndStopsAtACancel)
{
    OperationContext context;
    const auto volume = substrate(context);
    Ui::GLWidget view(context);
    view.resize(200, 150);
    view.show();
    QTemporaryDir dir;
    const QString picture = dir.filePath("midway.png");
    const Core::BatchRun::ProcessList steps = {film(2, 2), DialogTest::step(10, {{"Filename", picture}}),
                                               film(2, 3), film(2, 4)};
    GatedSteps gate;
    Ui::BatchRunController controller(context, &view, volume);
    gate.install(controller.getRunner());
    const auto openAtEnd = qScopeGuard([&] { gate.go.release(100); });
    std::vector<int> finished;
    std::vector<bool> cancellable;
    QStringList lines;
    int progress = -1;
    bool ended = false;
    QObject::connect(&controller, &Ui::BatchRunController::stepFinished, &controller,
                     [&](int index) { finished.push_back(index); });
    QObject::connect(&controller, &Ui::BatchRunController::cancelAvailable,
                     [&](bool on) { cancellable.push_back(on); });
    QObject::connect(&controller, &Ui::BatchRunController::statusChanged, [&](const QString &t) { lines << t; });
    QObject::connect(&controller, &Ui::BatchRunController::progressChanged, [&](int n) { progress = n; });
    QObject::connect(&controller, &Ui::BatchRunController::finished, [&] { ended = true; });

    ASSERT_TRUE(controller.start(steps, dir.path(), QString()));
    EXPECT_TRUE(controller.isRunning());
    EXPECT_FALSE(controller.start(steps, dir.path(), QString())) << "one run at a time";
    EXPECT_EQ(cancellable, std::vector<bool>{true});
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.back().startsWith("Step 1 of 4 (Moore deposition) running for ")) << lines.back().toStdString();

    gate.go.release();
    // Step 2's picture is drawn here while the worker waits; step 3 then waits at the gate.
    ASSERT_TRUE(waitFor([&] { return finished.size() == 2 && gate.started.load() == 2; }));
    EXPECT_EQ(finished, (std::vector<int>{0, 1}));
    const QImage image(picture);
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), view.grabOpaqueImage().size());

    controller.cancel();
    EXPECT_EQ(cancellable, (std::vector<bool>{true, false}));
    EXPECT_TRUE(lines.back().startsWith("Step 3 of 4 (Moore deposition) running for ")) << lines.back().toStdString();
    EXPECT_TRUE(lines.back().endsWith("; the run stops when this step ends.")) << lines.back().toStdString();
    gate.go.release();
    ASSERT_TRUE(waitFor([&] { return ended; }));
    EXPECT_FALSE(controller.isRunning());
    EXPECT_EQ(gate.started.load(), 2) << "step 4 never started";
    EXPECT_EQ(finished, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(progress, 3);
    EXPECT_EQ(lines.back().toStdString(),
              "Cancelled after step 3 (Moore deposition): 3 of 4 steps ran and stay applied; step 4 did not run.");
    const std::vector<uint32_t> ids = volume->materialIds();
    EXPECT_NE(std::count(ids.begin(), ids.end(), 3u), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 4u), 0);
}

namespace {

// Holds back the queued call number `n` (from 1) made to an object, as a GUI thread that
// has not got to it yet would; the calls before it pass.
class QueuedCallHeldBack : public QObject
{
public:
    explicit QueuedCallHeldBack(int n) : n(n) {}
    bool held = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (held || event->type() != QEvent::MetaCall || --n > 0)
            return false;
        held = true;
        return true;
    }

private:
    int n;
};

} // namespace

// A controller that goes away while its worker waits for a picture: the worker gives the
// picture up instead of waiting for ever, no later step runs, and the document is not
// written.
TEST(BatchRunController, GoingAwayWhileThePictureIsAwaitedEndsTheRun)
{
    OperationContext context;
    const auto volume = substrate(context);
    QTemporaryDir dir;
    const QString picture = dir.filePath("never.png");
    const QString document = dir.filePath("after.mem");
    GatedSteps gate;
    gate.go.release(100);
    // The worker queues the end of step 1, then its request for the picture.
    QueuedCallHeldBack holdBack(2);
    auto controller = std::make_unique<Ui::BatchRunController>(context, nullptr, volume);
    gate.install(controller->getRunner());
    controller->installEventFilter(&holdBack);

    ASSERT_TRUE(controller->start({film(2, 2), DialogTest::step(10, {{"Filename", picture}}), film(2, 3)}, dir.path(),
                                  document));
    ASSERT_TRUE(waitFor([&] { return holdBack.held; }));
    EXPECT_EQ(gate.started.load(), 1);
    controller.reset();
    EXPECT_EQ(gate.started.load(), 1) << "the step after the picture never started";
    EXPECT_FALSE(QFile::exists(picture));
    EXPECT_FALSE(QFile::exists(document));
    const std::vector<uint32_t> ids = volume->materialIds();
    EXPECT_NE(std::count(ids.begin(), ids.end(), 2u), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 3u), 0);
}
