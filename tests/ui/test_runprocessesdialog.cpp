// The batch-run dialog: editing a list through the real step dialogs, files, and runs
// on a worker thread.
#include "Core/BatchRun/processlistfile.h"
#include "Core/Operations/CreateSubstrate/substrateparameters.h"
#include "Core/Operations/operationcontext.h"
#include "UI/BatchRun/movetodialog.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "dialogtestsupport.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTreeWidget>

using Core::Operations::OperationContext;
using Ui::ProcessData;
using Ui::RunProcessesDialog;

namespace {

QPushButton *button(QDialog &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QString::fromLatin1(name));
}

[[maybe_unused]] QStringList column(QTreeWidget *tree, int c)
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
    ASSERT_TRUE(Ui::ProcessListFile::save(
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

// While a step runs the dialog answers, shows progress and will not close; afterwards
// the document is written, and closing clears the mask overlays.
TEST(RunProcessesDialogRun, StaysResponsiveAndRefusesToCloseDuringARun)
{
    OperationContext context;
    const auto volume = substrate(context);
    volume->setTopMask({true}, 1, 1);
    QTemporaryDir dir;
    const QString file = dir.filePath("two.plst");
    ASSERT_TRUE(Ui::ProcessListFile::save(file, {ProcessData(2), ProcessData(2)}));
    RunProcessesDialog dialog(context, nullptr, volume, file);
    ASSERT_EQ(dialog.getList().size(), 2u);
    dialog.documentPathEdit()->setText(dir.filePath("after.mem"));
    // Process type 2 is replaced by a step that waits until the test lets it go.
    QSemaphore go;
    dialog.getRunner().registerStep(2, [&](Ui::StepEnvironment &, const ProcessData &) {
        go.acquire();
        return 0;
    });
    dialog.show();

    button(dialog, "btnRun")->click();
    EXPECT_TRUE(dialog.isRunning());
    EXPECT_FALSE(button(dialog, "btnRun")->isEnabled());
    go.release();
    ASSERT_TRUE(waitFor([&] { return dialog.progress()->value() == 1; }));
    button(dialog, "btnClose")->click();
    dialog.reject(); // Escape
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());
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
