#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/silattice.h"
#include "UI/Console/commandconsole.h"
#include "UI/Operations/wetetchdialog.h"
#include "UI/mainwindow.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Ui::Operations::WetEtchDialog;

using DialogTest::Log;
using DialogTest::press;
using DialogTest::type;

namespace {

// Silicon below z = 6 under a one-cell oxide mask opened over [4, 8) x [4, 8).
TotalVolumePtr maskedSilicon()
{
    std::vector<uint32_t> ids(12 * 12 * 9, 0);
    for (uint32_t x = 0; x < 12; ++x)
        for (uint32_t y = 0; y < 12; ++y)
            for (uint32_t z = 0; z < 9; ++z)
                ids[(x * 12 + y) * 9 + z] = z < 6 ? 1u : (z == 6 && !(x >= 4 && x < 8 && y >= 4 && y < 8) ? 3u : 0u);
    return std::make_shared<TotalVolume>(12, 12, 9, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);
}

// Runs `act` on the wet etching dialog once it is open.
void whenDialogOpens(std::function<void(WetEtchDialog *)> act)
{
    QTimer::singleShot(0, [act] {
        auto *dialog = qobject_cast<WetEtchDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no wet etching dialog";
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        act(dialog);
    });
}

} // namespace

TEST(WetEtchingDialog, FieldsHelpAndPreset)
{
    WetEtchDialog d;
    EXPECT_EQ(d.windowTitle(), "Wet Etching Options");
    EXPECT_EQ(d.objectName(), "BCAEtchingBaseDialog");
    EXPECT_EQ(d.depthLabel()->text(), "Etch Depth");
    QDoubleSpinBox *depth = d.depthBox();
    EXPECT_EQ(depth->decimals(), 4);
    EXPECT_EQ(depth->minimum(), 0.0);
    EXPECT_EQ(depth->maximum(), 1e9);
    EXPECT_EQ(depth->singleStep(), 0.353552);
    EXPECT_EQ(depth->value(), 10.0);
    EXPECT_EQ(depth->suffix(), " units");
    const QString help =
        "Set the depth of the etching. This is how far down the (100) plane on the surface will be etched.";
    for (QWidget *w : {static_cast<QWidget *>(d.depthLabel()), static_cast<QWidget *>(depth)}) {
        EXPECT_EQ(w->toolTip(), help);
        EXPECT_EQ(w->statusTip(), help);
        EXPECT_EQ(w->whatsThis(), help);
    }
    auto *buttons = d.findChild<QDialogButtonBox *>();
    ASSERT_TRUE(buttons);
    EXPECT_TRUE(buttons->button(QDialogButtonBox::Ok));
    EXPECT_TRUE(buttons->button(QDialogButtonBox::Cancel));

    // Arrow keys step by 0.353552; typed values take four decimals at most.
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    depth->setFocus();
    QTest::keyClick(depth, Qt::Key_Up);
    EXPECT_NEAR(depth->value(), 10.353552, 1e-4);
    EXPECT_EQ(depth->text(), QLocale().toString(10.3536, 'f', 4) + " units");
    type(depth, "2.12345");
    EXPECT_DOUBLE_EQ(d.getDepth(), 2.1234);

    // A process-list step's "Depth" sets the box; other keys and non-numbers do not.
    d.preset({{"Depth", 3.5f}});
    EXPECT_EQ(d.getDepth(), 3.5);
    d.preset({{"Etch Depth", 7.0}});
    EXPECT_EQ(d.getDepth(), 3.5);
    d.preset({{"Depth", QStringLiteral("deep")}});
    EXPECT_EQ(d.getDepth(), 3.5);
}

// Numbers 28 and 29 through the factory: the real dialog, cancel and OK, the console
// messages, the cells of the process itself (the batch step, the continuous automaton),
// undo and redo.
TEST(WetEtchingDialog, MenuNumbersThroughTheDialog)
{
    struct Case
    {
        int number;
        const char *name;
        std::function<void(const TotalVolumePtr &)> reference; // etches depth 1.4
    };
    const Case cases[] = {
        {28, "BCA Wet Etch",
         [](const TotalVolumePtr &v) {
             OperationContext batch;
             Core::BatchRun::ProcessListRunner runner(batch);
             runner.setVolume(v);
             Core::BatchRun::ProcessData step(1);
             step.setParameter(QStringLiteral("Depth"), 1.4f, true);
             EXPECT_EQ(runner.run({step}).outcome, Core::BatchRun::ProcessListRunner::Outcome::Completed);
         }},
        {29, "Continuous Wet Etch",
         [](const TotalVolumePtr &v) {
             OperationContext batch;
             Core::BatchRun::ProcessListRunner runner(batch);
             runner.setVolume(v);
             Core::BatchRun::ProcessData step(20);
             step.setParameter(QStringLiteral("Depth"), 1.4f, true);
             EXPECT_EQ(runner.run({step}).outcome, Core::BatchRun::ProcessListRunner::Outcome::Completed);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.number);
        OperationContext context;
        context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
        auto log = std::make_shared<Log>(context.interpreter);
        context.interpreter.addMessageObserver(log);
        OperationPtr made = context.getFactory()->create(c.number);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->getName(), c.name);
        EXPECT_EQ(made->getTypeId(), c.number);
        EXPECT_TRUE(made->getOptionsObserver());
        EXPECT_TRUE(std::dynamic_pointer_cast<ObjectOperation>(made));

        const auto volume = maskedSilicon();
        context.scene.add(volume);
        const std::vector<uint32_t> before = volume->materialIds();

        whenDialogOpens([](WetEtchDialog *d) { press(d, QDialogButtonBox::Cancel); });
        context.activate(c.number);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[0], std::string(c.name) + ": Cell volume selected.");
        EXPECT_EQ(log->lines[1], std::string(c.name) + ": Operation canceled.");
        EXPECT_EQ(volume->materialIds(), before);
        EXPECT_EQ(context.lastProcessByVolume.count(volume->getId()), 0u);

        whenDialogOpens([](WetEtchDialog *d) {
            EXPECT_EQ(d->getDepth(), 10.0);
            type(d->depthBox(), "1.4");
            press(d, QDialogButtonBox::Ok);
        });
        context.activate(c.number);
        ASSERT_EQ(log->lines.size(), 4u);
        EXPECT_EQ(log->lines[2], std::string(c.name) + ": Cell volume selected.");
        EXPECT_EQ(log->lines[3], std::string(c.name) + ": Operation finished.");
        EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), c.number);
        EXPECT_FALSE(context.latticeStale.at(volume->getId()));
        EXPECT_EQ(context.history.undoCount(), 1u);
        const std::vector<uint32_t> etched = volume->materialIds();
        EXPECT_NE(etched, before);
        ASSERT_TRUE(context.history.undo());
        EXPECT_EQ(volume->materialIds(), before);
        EXPECT_TRUE(context.latticeStale.at(volume->getId()));
        ASSERT_TRUE(context.history.redo());
        EXPECT_EQ(volume->materialIds(), etched);

        const auto reference = maskedSilicon();
        c.reference(reference);
        EXPECT_EQ(volume->materialIds(), reference->materialIds());
    }
}

// "Si Wet Etching" sits in the Simulation menu and starts number 28; "Si Wet Etching
// (CCA)" is in no menu and starts number 29.
TEST(WetEtchingDialog, MainWindowActionsRoute)
{
    auto *window = new Ui::MainWindow();
    window->resize(800, 600);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    auto &context = window->getPresenter().getContext();
    context.scene.add(maskedSilicon());
    const auto transcript = [window] {
        return window->getPresenter().getConsole()->transcript()->toPlainText();
    };

    QAction *menuEntry = nullptr;
    for (QAction *a : window->menu("menuSimulation")->actions())
        if (a->text() == "Si Wet Etching")
            menuEntry = a;
    ASSERT_TRUE(menuEntry);
    whenDialogOpens([](WetEtchDialog *d) {
        type(d->depthBox(), "0.7");
        press(d, QDialogButtonBox::Ok);
    });
    menuEntry->trigger();
    EXPECT_TRUE(transcript().contains("BCA Wet Etch: Operation finished."));

    QAction *cca = window->action("actionContinuous_Wet_Etching");
    ASSERT_TRUE(cca);
    EXPECT_EQ(cca->text(), "Si Wet Etching (CCA)");
    for (QAction *top : window->menuBar()->actions()) {
        if (top->menu()) {
            EXPECT_FALSE(top->menu()->actions().contains(cca)) << top->text().toStdString();
        }
    }
    whenDialogOpens([](WetEtchDialog *d) {
        type(d->depthBox(), "0.5");
        press(d, QDialogButtonBox::Ok);
    });
    cca->trigger();
    EXPECT_TRUE(transcript().contains("Continuous Wet Etch: Operation finished."));

    window->close(); // deletes itself
    QApplication::processEvents();
}
