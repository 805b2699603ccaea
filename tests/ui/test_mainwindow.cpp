#include "Core/BatchRun/processlistfile.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Console/commandconsole.h"
#include "UI/Operations/changevolumevisualizationdialog.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/Operations/filmoptionsdialog.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "dialogtestsupport.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QProgressBar>
#include <QLineEdit>
#include <QMessageBox>
#include <QMenuBar>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

using Ui::MainWindow;

namespace {

int hueOf(QRgb rgb) { return QColor(rgb).hsvHue(); }

int hueDistance(int a, int b)
{
    const int d = std::abs(a - b) % 360;
    return std::min(d, 360 - d);
}

// A shown main window (not maximized: the tests need a known size).
struct MainWindowFixture : ::testing::Test
{
    void SetUp() override
    {
        window = new MainWindow();
        window->resize(800, 600);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->activateWindow();
        (void)QTest::qWaitForWindowActive(window);
    }
    void TearDown() override
    {
        window->close(); // deletes itself
        QApplication::processEvents();
    }

    Core::Operations::OperationContext &context() { return window->getPresenter().getContext(); }
    QString transcript() { return window->getPresenter().getConsole()->transcript()->toPlainText(); }

    // Simulation > Create Substrate, with a copper block centred on the origin.
    void createCopperSubstrate()
    {
        QAction *create = nullptr;
        for (QAction *a : window->menu("menuSimulation")->actions())
            if (a->text() == "Create Substrate")
                create = a;
        ASSERT_NE(create, nullptr);
        QTimer::singleShot(0, [] {
            auto *d = qobject_cast<Ui::Operations::CreateSubstrateDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            d->corner(0)->setValue(-50);
            d->corner(1)->setValue(-50);
            d->corner(2)->setValue(-15);
            d->materialBox()->setCurrentIndex(d->materialBox()->findData(5u));
            d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        create->trigger();
    }

    QImage frame()
    {
        window->view()->repaint();
        QApplication::processEvents();
        return window->view()->grabFramebuffer();
    }

    QPoint centre() const { return QPoint(window->view()->width() / 2, window->view()->height() / 2); }
    // On the top face of the framed copper block, clear of the axis cross at the centre.
    QPoint onBlock() const { return centre() + QPoint(0, 40); }

    void click(const QPoint &at)
    {
        QTest::mousePress(window->view(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(window->view(), Qt::LeftButton, {}, at);
    }

    MainWindow *window = nullptr;
};

} // namespace

TEST_F(MainWindowFixture, MenusAndInitialState)
{
    QStringList titles;
    for (QAction *a : window->menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles,
              QStringList({"&File", "&Edit", "&Simulation", "&Materials", "&Rendering", "&View", "&Windows", "&About"}));
    EXPECT_EQ(window->windowTitle(), "Kelvane");
    EXPECT_FALSE(window->action("actionUndo")->isEnabled());
    EXPECT_FALSE(window->action("actionRedo")->isEnabled());
    EXPECT_TRUE(window->action("actionRender_Objects")->isChecked());
    EXPECT_TRUE(window->action("actionConsole")->isChecked());
    EXPECT_FALSE(window->action("actionModel_Extraction")->isEnabled());
    EXPECT_EQ(window->action("actionSave_as")->shortcut(), QKeySequence("Ctrl+Shift+S"));
    EXPECT_EQ(window->action("actionCut_Cell_Volume")->statusTip(), "Make cuts to view inside the cell volume.");
    EXPECT_EQ(window->action("actionCVD")->statusTip(), "Run an isotropic film deposition simulation.");
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_TRUE(window->getPresenter().getConsole()->isVisible());
    window->action("actionConsole")->trigger();
    EXPECT_FALSE(window->getPresenter().getConsole()->isVisible());
}

TEST_F(MainWindowFixture, CreateSubstrateFromTheMenuUndoRedoAndTheFrame)
{
    createCopperSubstrate();
    ASSERT_EQ(context().scene.objectCount(), 1);
    EXPECT_TRUE(transcript().contains("Create Substrate: substrate created successfully."));
    EXPECT_EQ(window->action("actionUndo")->text(), "Undo Create Substrate");
    EXPECT_TRUE(window->action("actionUndo")->isEnabled());
    EXPECT_FALSE(window->action("actionRedo")->isEnabled());

    const QImage image = frame();
    const QRgb middle = image.pixel(onBlock());
    EXPECT_LE(hueDistance(hueOf(middle), QColor::fromRgbF(1, 0.8, 0.3).hsvHue()), 15)
        << qRed(middle) << " " << qGreen(middle) << " " << qBlue(middle);
    EXPECT_EQ(image.pixel(3, 3) & 0xFFFFFF, 0u); // the background of the default scheme

    window->action("actionUndo")->trigger();
    EXPECT_EQ(context().scene.objectCount(), 0);
    EXPECT_EQ(window->action("actionUndo")->text(), "Undo ");
    EXPECT_FALSE(window->action("actionUndo")->isEnabled());
    EXPECT_EQ(window->action("actionRedo")->text(), "Redo Create Substrate");
    EXPECT_TRUE(window->action("actionRedo")->isEnabled());
    window->action("actionRedo")->trigger();
    EXPECT_EQ(context().scene.objectCount(), 1);
    EXPECT_FALSE(window->action("actionRedo")->isEnabled());
}

TEST_F(MainWindowFixture, PickingTogglesTheVolumeAndADragOnlyRotates)
{
    createCopperSubstrate();
    window->action("actionSelect")->setChecked(true);
    ASSERT_TRUE(context().isSelectionMode());

    click(centre());
    ASSERT_EQ(context().selectedObjects().size(), 1u);
    // Highlighted copper (0.3, 0.1, 0.6) in the frame.
    EXPECT_LE(hueDistance(hueOf(frame().pixel(onBlock())), QColor::fromRgbF(0.3, 0.1, 0.6).hsvHue()), 20);
    click(centre());
    EXPECT_TRUE(context().selectedObjects().empty());
    EXPECT_LE(hueDistance(hueOf(frame().pixel(onBlock())), QColor::fromRgbF(1, 0.8, 0.3).hsvHue()), 15);

    const std::vector<float> before = window->view()->getRotation();
    QTest::mousePress(window->view(), Qt::LeftButton, {}, centre());
    QMouseEvent move(QEvent::MouseMove, centre() + QPoint(40, 25), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->view(), &move);
    QTest::mouseRelease(window->view(), Qt::LeftButton, {}, centre() + QPoint(40, 25));
    EXPECT_NE(window->view()->getRotation(), before);
    EXPECT_TRUE(context().selectedObjects().empty());
}

TEST_F(MainWindowFixture, WheelKeysViewsAndStatusBar)
{
    {
        QWheelEvent up(QPointF(centre()), QPointF(window->view()->mapToGlobal(centre())), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window->view(), &up);
        EXPECT_EQ(window->statusBar()->currentMessage(), "Zoom = 110%");
        QWheelEvent down(QPointF(centre()), QPointF(window->view()->mapToGlobal(centre())), QPoint(), QPoint(0, -120),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(window->view(), &down);
        EXPECT_NEAR(window->view()->getZoom(), 1.0f, 1e-5f);
    }

    const std::vector<float> axis = window->view()->getAxisPosition();
    QTest::keyClick(window, Qt::Key_Q);
    EXPECT_EQ(window->statusBar()->currentMessage(), "Volume position in relation to the axes: X = 5 Y = 0 Z = 0");
    QTest::keyClick(window, Qt::Key_A);
    EXPECT_EQ(window->view()->getAxisPosition(), axis);

    window->setView("top");
    EXPECT_EQ(window->view()->getRotation(), (std::vector<float>{0, 0, 0}));
    window->setView("front");
    const std::vector<float> front = window->view()->getRotation();
    EXPECT_EQ(front, (std::vector<float>{-90, 0, 0}));
    window->setView("manual");
    EXPECT_EQ(window->view()->getRotation(), front);

    window->changeRotationValue_statusBar({-60, 0, 30});
    EXPECT_EQ(window->statusBar()->currentMessage(), "Rotation angles: X Axis = -60 Y Axis = 0 Z axis = 30");
    window->changeZoomValue_statusBar(150);
    EXPECT_EQ(window->statusBar()->currentMessage(), "Zoom = 150%");
    window->changeLampPosition_statusBar({1, 300, 1.0472f, 0.785398f});
    EXPECT_EQ(window->statusBar()->currentMessage(),
              QString::fromUtf8("Lamp 1 Position : Radius = 300 Angle θ = 1.0472 Angle φ = 0.785398"));
}

TEST_F(MainWindowFixture, ReturnInTheViewSubmitsTheConsoleLineAndEscapeClearsTheSelection)
{
    QLineEdit *line = window->getPresenter().getConsole()->commandLine();
    line->setText("hello");
    window->view()->setFocus();
    QTest::keyClick(window->view(), Qt::Key_Return);
    EXPECT_TRUE(line->text().isEmpty());
    EXPECT_TRUE(transcript().contains("hello"));

    createCopperSubstrate();
    auto volume = context().scene.objects()[0];
    context().setObjectSelected(volume, true);
    QTest::keyClick(window->view(), Qt::Key_Escape);
    EXPECT_TRUE(context().selectedObjects().empty());
    EXPECT_FALSE(volume->isSelected());
    EXPECT_EQ(context().scene.objectCount(), 1);
}

TEST_F(MainWindowFixture, SaveImageWritesTheViewsSize)
{
    createCopperSubstrate();
    const QString path = TestEnv::workDir() + "/shot.png";
    window->saveImage(path);
    QImage image(path);
    ASSERT_FALSE(image.isNull());
    const qreal ratio = window->view()->devicePixelRatioF();
    EXPECT_EQ(image.size(), window->view()->size() * ratio);
    // The background corner is the view's black, fully opaque.
    EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 0, 255));
}

TEST_F(MainWindowFixture, SaveImageAddsPngAndAFailureIsNotTheNextPreset)
{
    createCopperSubstrate();
    const QString dir = TestEnv::workDir();
    QFile::remove(dir + "/typed.png");
    DialogTest::whenModalAppears<QFileDialog>([dir](QFileDialog *d) { DialogTest::chooseFile(d, dir + "/typed"); });
    window->action("actionSave_Image")->trigger();
    EXPECT_FALSE(QImage(dir + "/typed.png").isNull());
    EXPECT_FALSE(QFile::exists(dir + "/typed"));

    // A format that cannot be written: told, no file, and the next dialog offers typed.png.
    DialogTest::whenModalAppears<QFileDialog>([dir](QFileDialog *d) { DialogTest::chooseFile(d, dir + "/odd.xyz"); });
    window->action("actionSave_Image")->trigger();
    EXPECT_FALSE(QFile::exists(dir + "/odd.xyz"));
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith("Could not save the image to " + dir + "/odd.xyz"))
        << window->statusBar()->currentMessage().toStdString();
    QStringList offered;
    DialogTest::whenModalAppears<QFileDialog>([&offered](QFileDialog *d) {
        offered = d->selectedFiles();
        d->reject();
    });
    window->action("actionSave_Image")->trigger();
    EXPECT_EQ(offered, QStringList{dir + "/typed.png"});
}

TEST_F(MainWindowFixture, ExceptionInAnOperationIsReportedAndCancelled)
{
    QTimer::singleShot(0, [] {
        auto *d = qobject_cast<Ui::Operations::CreateSubstrateDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        for (int a = 0; a < 3; ++a)
            d->volumeSize(a)->setValue(10000); // 10^12 cells cannot be held
        d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
    window->action("actionCreate_Substrate")->trigger();
    EXPECT_EQ(context().scene.objectCount(), 0);
    EXPECT_TRUE(transcript().contains("Create Substrate: not enough memory for this operation."));
    EXPECT_FALSE(context().getCurrentOperation());
    EXPECT_FALSE(window->action("actionUndo")->isEnabled());

    // Still usable.
    createCopperSubstrate();
    EXPECT_EQ(context().scene.objectCount(), 1);
}

TEST_F(MainWindowFixture, NewDocumentAsksAndEmptiesTheScene)
{
    createCopperSubstrate();
    QTimer::singleShot(0, [] {
        auto *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    window->action("actionNew")->trigger();
    EXPECT_EQ(context().scene.objectCount(), 1);

    QTimer::singleShot(0, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "This will erase all data. Continue?");
        box->button(QMessageBox::Ok)->click();
    });
    window->setWindowTitle("Kelvane  /somewhere/saved.mem"); // as Save leaves it
    window->action("actionNew")->trigger();
    EXPECT_EQ(context().scene.objectCount(), 0);
    EXPECT_FALSE(window->action("actionUndo")->isEnabled());
    EXPECT_EQ(window->windowTitle(), "Kelvane");
}

TEST_F(MainWindowFixture, MoveByTwoClicksInTheViewAndDeleteFromTheMenu)
{
    createCopperSubstrate();
    ASSERT_EQ(context().scene.objectCount(), 1);
    const auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(context().scene.objects().front());
    ASSERT_TRUE(volume);
    const Util::Vector3D before = volume->getPosition();

    context().setObjectSelected(volume, true);
    window->action("actionMove")->trigger();
    EXPECT_TRUE(transcript().contains("Move: Left click or enter the distance into the console (x, y, z):"));
    click(centre());
    EXPECT_TRUE(transcript().contains("Move: Left click on destination."));
    // The ghost follows the pointer until the destination is clicked.
    QTest::mouseMove(window->view(), centre() + QPoint(80, 0));
    EXPECT_TRUE(volume->isTemporary());
    EXPECT_GT(std::abs(volume->getTemporaryOffset().x) + std::abs(volume->getTemporaryOffset().y), 1.0);
    EXPECT_NE(frame().pixel(centre() + QPoint(80, 0)) & 0xFFFFFF, 0u); // drawn there, not background
    click(centre() + QPoint(80, 0));
    EXPECT_TRUE(transcript().contains("Move: Object(s) moved"));
    const Util::Vector3D after = volume->getPosition();
    EXPECT_GT(std::hypot(after.x - before.x, after.y - before.y), 1.0);
    EXPECT_NEAR(after.z, before.z, 1e-9); // both points lie on the ground plane
    EXPECT_EQ(window->action("actionUndo")->text(), "Undo Move Objects");
    EXPECT_FALSE(volume->isTemporary());

    context().setObjectSelected(volume, true);
    window->action("actionDelete")->trigger();
    EXPECT_EQ(context().scene.objectCount(), 0);
    window->action("actionUndo")->trigger();
    EXPECT_EQ(context().scene.objectCount(), 1);
}

TEST_F(MainWindowFixture, ACopyByATypedDistanceIsDrawnAtOnce)
{
    createCopperSubstrate();
    const auto copper = [](const QImage &image) {
        int n = 0;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2) {
                const QRgb p = image.pixel(x, y);
                n += (p & 0xFFFFFF) != 0 && hueDistance(hueOf(p), QColor::fromRgbF(1, 0.8, 0.3).hsvHue()) <= 15;
            }
        return n;
    };
    const int alone = copper(frame());
    ASSERT_GT(alone, 100);

    context().setObjectSelected(context().scene.objects().front(), true);
    window->action("actionCopy")->trigger();
    QLineEdit *line = window->getPresenter().getConsole()->commandLine();
    line->setText("0, 0, 45");
    window->view()->setFocus();
    QTest::keyClick(window->view(), Qt::Key_Return);
    ASSERT_TRUE(transcript().contains("Copy: Object(s) copied"));
    ASSERT_EQ(context().scene.objectCount(), 2);
    // The copy stands on the original: the picture shows more copper without any other
    // action.
    const int both = copper(frame());
    EXPECT_GT(both, alone + alone / 10) << alone << " " << both;

    window->action("actionUndo")->trigger();
    EXPECT_EQ(context().scene.objectCount(), 1);
    EXPECT_EQ(copper(frame()), alone);
}

TEST_F(MainWindowFixture, BatchRunOpensTheDialogWithTheChosenVolumeOrNone)
{
    createCopperSubstrate();
    const auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(context().scene.objects().front());
    Model::Automaton::TotalVolumePtr given;
    bool opened = false;
    auto closeDialog = [&](Ui::RunProcessesDialog *batch) {
        opened = true;
        given = batch->getVolume();
        batch->close();
    };

    context().setObjectSelected(volume, true);
    DialogTest::whenModalAppears<Ui::RunProcessesDialog>(closeDialog);
    window->action("actionBatch_Run")->trigger();
    EXPECT_TRUE(opened);
    EXPECT_EQ(given, volume);
    EXPECT_TRUE(transcript().contains("Select volumes: Cell volume selected."));
    EXPECT_EQ(window->action("actionUndo")->text(), "Undo Create Substrate"); // not in the history
    EXPECT_EQ(context().getCurrentOperation(), nullptr);

    opened = false;
    window->action("actionBatch_Run")->trigger();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(transcript().contains("Select volumes: Select a cell volume and press Enter/Return. To start "
                                      "without a cell volume type N and press Enter/Return."));
    DialogTest::whenModalAppears<Ui::RunProcessesDialog>(closeDialog);
    context().interpreter.submit("n");
    EXPECT_TRUE(opened);
    EXPECT_EQ(given, nullptr);
}

// A batch run cancelled while its Save Image step waits for the view: the picture is
// still drawn, the run stops there, and the steps done are one entry of the history that
// undoes to before the run and redoes to after the steps done.
TEST_F(MainWindowFixture, CancelledBatchRunIsOneUndoableEntryOfTheStepsDone)
{
    createCopperSubstrate();
    const auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(context().scene.objects().front());
    const std::vector<uint32_t> before = volume->materialIds();
    QTemporaryDir dir;
    const QString list = dir.filePath("cancel.plst");
    const QString picture = dir.filePath("shot.png");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(
        list, {DialogTest::step(4, {{"Material_Id", 2u}, {"Thickness", 1.0f}}), DialogTest::step(10, {{"Filename", picture}}),
               DialogTest::step(4, {{"Material_Id", 3u}, {"Thickness", 1.0f}})}));

    QString report;
    DialogTest::whenModalAppears<Ui::RunProcessesDialog>([&](Ui::RunProcessesDialog *batch) {
        DialogTest::whenModalAppears<QFileDialog>([&](QFileDialog *chooser) { DialogTest::chooseFile(chooser, list); });
        batch->findChild<QPushButton *>("btnLoadList")->click();
        ASSERT_EQ(batch->getList().size(), 3u);
        // Step 1's end reaches this thread before the worker's request for the picture.
        QObject::connect(batch, &Ui::RunProcessesDialog::stepFinished, batch, [batch](int index) {
            if (index == 0)
                batch->findChild<QPushButton *>("btnCancel")->click();
        });
        batch->findChild<QPushButton *>("btnRun")->click();
        for (int i = 0; i < 2400 && !batch->findChild<QPushButton *>("btnRun")->isEnabled(); ++i)
            QTest::qWait(50);
        report = batch->statusLabel()->text();
        batch->close();
    });
    context().setObjectSelected(volume, true);
    window->action("actionBatch_Run")->trigger();
    EXPECT_EQ(report.toStdString(),
              "Cancelled after step 2 (Save Image): 2 of 3 steps ran and stay applied; step 3 did not run.");
    EXPECT_FALSE(QImage(picture).isNull());
    const std::vector<uint32_t> after = volume->materialIds();
    EXPECT_NE(std::count(after.begin(), after.end(), 2u), 0);
    EXPECT_EQ(std::count(after.begin(), after.end(), 3u), 0);

    EXPECT_EQ(window->action("actionUndo")->text(), "Undo Select volumes");
    window->action("actionUndo")->trigger();
    EXPECT_EQ(volume->materialIds(), before);
    EXPECT_EQ(window->action("actionUndo")->text(), "Undo Create Substrate");
    window->action("actionRedo")->trigger();
    EXPECT_EQ(volume->materialIds(), after);
}

// Every step type, with a Save Image step drawn by the main window's view.
TEST_F(MainWindowFixture, OpenProcessListRunsEveryStepTypeAndSavesTheImage)
{
    QFile::remove("allsteps.png");
    int progress = -1;
    DialogTest::whenModalAppears<QFileDialog>([&](QFileDialog *chooser) {
        DialogTest::whenModalAppears<Ui::RunProcessesDialog>([&](Ui::RunProcessesDialog *batch) {
            EXPECT_EQ(batch->getList().size(), 22u);
            batch->findChild<QPushButton *>("btnRun")->click();
            for (int i = 0; i < 2400 && !batch->findChild<QPushButton *>("btnRun")->isEnabled(); ++i)
                QTest::qWait(50);
            progress = batch->progress()->value();
            batch->close();
        });
        DialogTest::chooseFile(chooser, QStringLiteral(KELVANE_EXAMPLES_DIR "/allsteps.plst"));
    });
    window->action("actionOpen_Process_List")->trigger();
    EXPECT_EQ(progress, 22);
    const QImage image("allsteps.png");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(context().scene.objectCount(), 1);
}

// Every menu entry opens a dialog, starts an operation that speaks on the console, or
// changes a switch or the view.
TEST_F(MainWindowFixture, EveryMenuEntryDoesSomething)
{
    createCopperSubstrate();
    QStringList idle;
    for (QAction *menuAction : window->menuBar()->actions()) {
        for (QAction *entry : menuAction->menu()->actions()) {
            if (entry->isSeparator() || !entry->isEnabled() || entry->objectName() == "actionExit")
                continue;
            bool dialogShown = false;
            auto *poll = new QTimer;
            QObject::connect(poll, &QTimer::timeout, [&] {
                if (QWidget *modal = QApplication::activeModalWidget()) {
                    dialogShown = true;
                    modal->close();
                }
            });
            poll->start(20);
            const QString before = transcript();
            const bool checked = entry->isChecked();
            const int objects = context().scene.objectCount();
            window->statusBar()->clearMessage();
            entry->trigger();
            QApplication::processEvents();
            delete poll;
            const bool acted = dialogShown || transcript() != before || entry->isChecked() != checked ||
                               context().scene.objectCount() != objects ||
                               !window->statusBar()->currentMessage().isEmpty();
            if (!acted)
                idle << entry->text();
            if (entry->isCheckable() && entry->isChecked() != checked)
                entry->trigger(); // back as it was
            window->getPresenter().cancelPressed();
        }
    }
    EXPECT_TRUE(idle.isEmpty()) << idle.join(", ").toStdString();
}

TEST_F(MainWindowFixture, FieldViewOfADopedVolumeShowsTheLegend)
{
    createCopperSubstrate();
    const auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(context().scene.objects().front());
    int32_t *counts = volume->createParticleField("Random Walk Particle Count Type N");
    for (size_t cell = 0; cell < volume->getCellCount(); ++cell)
        counts[cell * Model::Automaton::TotalVolume::particleFieldSlots] = static_cast<int32_t>(cell % 50);
    frame();
    EXPECT_FALSE(window->view()->getLegend().isVisible());

    DialogTest::whenDialogOpens([](QDialog *d) {
        auto *options = qobject_cast<Ui::Operations::ChangeVolumeVisualizationDialog *>(d);
        ASSERT_NE(options, nullptr);
        options->algorithmBox()->setCurrentIndex(3);
        options->accept();
    });
    window->action("actionChange_Viewing_Options")->trigger();
    EXPECT_TRUE(transcript().contains("Change Visualization: Options changed."));
    EXPECT_EQ(volume->getPainter()->getMode(), Model::Automaton::SurfaceMode::FieldView);
    const QImage image = frame();
    const Ui::FieldLegend &legend = window->view()->getLegend();
    ASSERT_TRUE(legend.isVisible());
    EXPECT_EQ(legend.minimumText(), "0.000000e+00");
    EXPECT_EQ(legend.maximumText(), "4.900000e+01");
    // The bar's ends under the scene: dark at the left, light at the right (grey scale).
    const int y = static_cast<int>(image.height() * 0.95) - 10;
    EXPECT_LT(qGray(image.pixel(image.width() / 10, y)), qGray(image.pixel(image.width() * 9 / 10, y)));
}

TEST_F(MainWindowFixture, AStepShowsABusyCursorAndItsNameThenItsDuration)
{
    createCopperSubstrate();
    ASSERT_EQ(context().scene.objectCount(), 1);

    // What the window shows while the step works, seen from inside the step's bracket.
    Qt::CursorShape cursorDuring = Qt::ArrowCursor;
    QString messageDuring;
    const auto windowStarted = context().stepStarted;
    context().stepStarted = [&](const std::string &name) {
        windowStarted(name);
        if (QApplication::overrideCursor())
            cursorDuring = QApplication::overrideCursor()->shape();
        messageDuring = window->statusBar()->currentMessage();
    };
    DialogTest::whenDialogOpens([](QDialog *d) {
        auto *dialog = qobject_cast<Ui::Operations::FilmOptionsDialog *>(d);
        ASSERT_TRUE(dialog);
        DialogTest::type(dialog->numberBox("Film Thickness"), "2");
        DialogTest::press(d, QDialogButtonBox::Ok);
    });
    context().activate(13);

    EXPECT_EQ(cursorDuring, Qt::WaitCursor);
    EXPECT_EQ(messageDuring, "Isotropic Deposition: running ...");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const auto *duration = window->findChild<QLabel *>("stepDurationLabel");
    ASSERT_TRUE(duration);
    EXPECT_TRUE(QRegularExpression("^Isotropic Deposition took \\d+\\.\\d+ s$").match(duration->text()).hasMatch())
        << duration->text().toStdString();
    // The running text is gone: the message says how long the step took.
    EXPECT_EQ(window->statusBar()->currentMessage(), duration->text());
    EXPECT_TRUE(transcript().contains("Isotropic Deposition: Operation finished."));

    EXPECT_EQ(MainWindow::durationText(0.4213), "0.42 s");
    EXPECT_EQ(MainWindow::durationText(12.34), "12.3 s");
    EXPECT_EQ(MainWindow::durationText(125.2), "2 min 5 s");
}

TEST_F(MainWindowFixture, TheFirstVolumeIsFramedAndFBringsItBackAfterAPan)
{
    // Where a model point lands in the view, in pixels.
    const auto project = [this](double x, double y, double z) {
        const Ui::ViewTransform c = window->view()->getCamera();
        const double zoom = window->view()->getZoom();
        const double q[3] = {x + c.axisX, y + c.axisY, z + c.axisZ};
        const double sx = c.m(0) * q[0] + c.m(4) * q[1] + c.m(8) * q[2] + c.screenX;
        const double sy = c.m(1) * q[0] + c.m(5) * q[1] + c.m(9) * q[2] + c.screenY;
        return QPointF(window->view()->width() / 2.0 + zoom * sx, window->view()->height() / 2.0 - zoom * sy);
    };
    // What the volume shows (its filled cells) is framed, not the empty cells above them.
    const auto expectFramed = [&](const Model::Automaton::TotalVolume &v) {
        const auto cells = v.getPainter()->getShownCells();
        ASSERT_TRUE(cells.known && cells.any);
        const double size[3] = {v.getCellSizeX(), v.getCellSizeY(), v.getCellSizeZ()};
        const Util::Vector3D at = v.getPosition();
        const Util::Vector3D p(at.x + cells.min[0] * size[0], at.y + cells.min[1] * size[1],
                               at.z + cells.min[2] * size[2]);
        double e[3];
        for (int a = 0; a < 3; ++a)
            e[a] = (cells.max[a] - cells.min[a]) * size[a];
        const QPointF middle = project(p.x + e[0] / 2, p.y + e[1] / 2, p.z + e[2] / 2);
        const double w = window->view()->width(), h = window->view()->height();
        EXPECT_LE(std::abs(middle.x() - w / 2), 0.05 * w);
        EXPECT_LE(std::abs(middle.y() - h / 2), 0.05 * h);
        for (int corner = 0; corner < 8; ++corner) {
            const QPointF at = project(p.x + (corner & 1 ? e[0] : 0), p.y + (corner & 2 ? e[1] : 0),
                                       p.z + (corner & 4 ? e[2] : 0));
            EXPECT_TRUE(QRectF(0, 0, w, h).contains(at)) << "corner " << corner << " at " << at.x() << ", " << at.y();
        }
    };

    createCopperSubstrate();
    const auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(context().scene.objects().front());
    ASSERT_TRUE(volume);
    expectFramed(*volume);
    const float framedZoom = window->view()->getZoom();

    // A later change never moves the view the user chose.
    window->view()->setScreenPosition(120.0f, -40.0f);
    window->view()->setZoom(framedZoom * 3);
    context().notifyUpdate();
    frame();
    EXPECT_EQ(window->view()->getScreenPosition(), (std::vector<float>{120.0f, -40.0f}));
    EXPECT_EQ(window->view()->getZoom(), framedZoom * 3);

    QTest::keyClick(window, Qt::Key_F);
    expectFramed(*volume);
    EXPECT_FLOAT_EQ(window->view()->getZoom(), framedZoom);

    // Emptied and filled again: the new first object is framed.
    window->action("actionUndo")->trigger();
    ASSERT_EQ(context().scene.objectCount(), 0);
    window->view()->setZoom(0.01f);
    window->action("actionRedo")->trigger();
    frame();
    expectFramed(*volume);
}

TEST_F(MainWindowFixture, TheConsoleGrowsWithItsWindowAndItsMenuEntryFollowsIt)
{
    Ui::Console::CommandConsole *console = window->getPresenter().getConsole();
    QPlainTextEdit *messages = console->transcript();
    QLineEdit *line = console->commandLine();
    console->resize(600, 400);
    QApplication::processEvents();
    const QPoint lineBottom = line->mapTo(console, QPoint(0, line->height()));
    EXPECT_GT(messages->height(), 250);
    EXPECT_GT(messages->width(), 550);
    EXPECT_LE(console->height() - lineBottom.y(), 15);
    EXPECT_GT(line->mapTo(console, QPoint(0, 0)).y(), messages->mapTo(console, QPoint(0, messages->height())).y() - 1);

    // Closed by its own title bar (a close event), then shown from the menu.
    console->close();
    EXPECT_FALSE(console->isVisible());
    EXPECT_FALSE(window->action("actionConsole")->isChecked());
    window->action("actionConsole")->trigger();
    EXPECT_TRUE(console->isVisible());
    EXPECT_TRUE(window->action("actionConsole")->isChecked());
    console->hide();
    window->getPresenter().showConsole(true);
    EXPECT_TRUE(window->action("actionConsole")->isChecked());
}

TEST_F(MainWindowFixture, SelectEndsWithTheOperationThatWaitedForIt)
{
    QAction *select = window->action("actionSelect");
    // With no volume in the scene, a deposition waits for one to be selected.
    context().activate(13);
    EXPECT_TRUE(select->isChecked());
    QTest::keyClick(window->view(), Qt::Key_Escape);
    EXPECT_FALSE(select->isChecked());
    EXPECT_FALSE(context().isSelectionMode());

    // Cancelled by starting another operation (Create Substrate, whose dialog is closed).
    context().activate(13);
    EXPECT_TRUE(select->isChecked());
    DialogTest::whenDialogOpens([](QDialog *d) { d->reject(); });
    window->action("actionCreate_Substrate")->trigger();
    EXPECT_FALSE(select->isChecked());

    // Turned on by the user, it stays on.
    select->setChecked(true);
    QTest::keyClick(window->view(), Qt::Key_Escape);
    EXPECT_TRUE(select->isChecked());
}

TEST_F(MainWindowFixture, OnlyADragReportsRotationAngles)
{
    createCopperSubstrate();
    window->statusBar()->clearMessage();
    click(centre());
    EXPECT_FALSE(window->statusBar()->currentMessage().startsWith("Rotation angles"))
        << window->statusBar()->currentMessage().toStdString();
    QTest::mousePress(window->view(), Qt::LeftButton, {}, centre());
    QMouseEvent move(QEvent::MouseMove, centre() + QPoint(30, 10), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->view(), &move);
    QTest::mouseRelease(window->view(), Qt::LeftButton, {}, centre() + QPoint(30, 10));
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith("Rotation angles"));
}
