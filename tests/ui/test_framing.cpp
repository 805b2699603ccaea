// The first volumes of a scene are framed as Fit View frames them, whichever way they
// come in: File > Open (into a new window), Create Substrate, a batch run; and the frame
// follows the view's size until the user moves the camera.
#include "Core/BatchRun/processlistfile.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/scene.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "dialogtestsupport.h"
#include "drawnextent.h"
#include "testenv.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <set>

using Ui::MainWindow;

namespace {

// The view draws the scene whole, centred, and large: at least 40 % of its width or height.
void expectFramed(Ui::GLWidget *view, const char *what)
{
    view->setShowAxis(false);
    const QImage image = view->grabFramebuffer();
    ASSERT_FALSE(image.isNull()) << what;
    const QRect drawn = drawnExtent(image);
    ASSERT_FALSE(drawn.isNull()) << what << ": nothing drawn";
    const double w = image.width(), h = image.height();
    const QPointF middle = QRectF(drawn).center();
    EXPECT_LE(std::abs(middle.x() - w / 2), 0.05 * w) << what;
    EXPECT_LE(std::abs(middle.y() - h / 2), 0.05 * h) << what;
    EXPECT_GE(std::max(drawn.width() / w, drawn.height() / h), 0.4)
        << what << ": drawn " << drawn.width() << " x " << drawn.height() << " of " << w << " x " << h;
    // Whole: clear of the edges.
    EXPECT_TRUE(drawn.left() > 0 && drawn.top() > 0 && drawn.right() < w - 1 && drawn.bottom() < h - 1) << what;
}

// A 40 x 40 x 16 block of silicon, filled.
void writeBlockDocument(const QString &path)
{
    Model::Scene scene;
    scene.add(std::make_shared<Model::Automaton::TotalVolume>(40, 40, 16, 1.0f, 1.0f, 1.0f, Util::Vector3D(),
                                                              std::vector<uint32_t>(40 * 40 * 16, 1u)));
    const Model::Persistence::ArchiverRegistry archivers;
    ASSERT_TRUE(Model::Persistence::DocumentFile::save(scene, path, archivers).ok());
}

MainWindow *newestOtherWindow(const std::set<QWidget *> &before)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *m = qobject_cast<MainWindow *>(w))
            if (!before.count(w) && m->isVisible())
                return m;
    return nullptr;
}

QAction *menuEntry(MainWindow *window, const char *menu, const QString &text)
{
    for (QAction *a : window->menu(menu)->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

struct Framing : ::testing::Test
{
    void SetUp() override
    {
        window = new MainWindow();
        window->resize(800, 600);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<MainWindow *>(w))
                w->close();
        QApplication::processEvents();
    }
    Core::Operations::OperationContext &context() { return window->getPresenter().getContext(); }

    // File > Open as the user does it; returns the window the document opened in.
    MainWindow *openFromTheMenu(MainWindow *from, const QString &file)
    {
        std::set<QWidget *> before;
        for (QWidget *w : QApplication::topLevelWidgets())
            before.insert(w);
        DialogTest::whenModalAppears<QFileDialog>([file](QFileDialog *d) { DialogTest::chooseFile(d, file); });
        from->action("actionOpen")->trigger();
        MainWindow *opened = nullptr;
        for (int i = 0; i < 200 && !(opened = newestOtherWindow(before)); ++i)
            QTest::qWait(20);
        if (opened)
            (void)QTest::qWaitForWindowExposed(opened);
        return opened;
    }

    QTemporaryDir folder;
    MainWindow *window = nullptr;
};

} // namespace

TEST_F(Framing, FileOpenFramesTheDocumentInItsNewWindow)
{
    const QString file = folder.filePath("block.mem");
    writeBlockDocument(file);

    // From a window without a document, and from one that holds one: each opens a window.
    MainWindow *first = openFromTheMenu(window, file);
    ASSERT_NE(first, nullptr);
    expectFramed(first->view(), "opened from an empty window");

    MainWindow *second = openFromTheMenu(first, file);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    expectFramed(second->view(), "opened from a window with a document");

    // Until the user moves the camera the frame follows the window's size.
    second->showNormal();
    second->resize(500, 700);
    QTest::qWait(0);
    QApplication::processEvents();
    expectFramed(second->view(), "after a resize");
    const float zoom = second->view()->getZoom();
    QWheelEvent wheel(QPointF(100, 100), second->view()->mapToGlobal(QPoint(100, 100)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(second->view(), &wheel);
    EXPECT_FLOAT_EQ(second->view()->getZoom(), zoom * 1.1f);
    second->resize(700, 500);
    QApplication::processEvents();
    second->view()->grabFramebuffer();
    EXPECT_FLOAT_EQ(second->view()->getZoom(), zoom * 1.1f);
}

TEST_F(Framing, CreateSubstrateFramesTheBlockNotTheEmptyVolume)
{
    // The dialog's defaults: a 100 x 100 x 80 volume with the block in its lower part.
    DialogTest::whenDialogOpens([](QDialog *d) { DialogTest::press(d, QDialogButtonBox::Ok); });
    QAction *create = menuEntry(window, "menuSimulation", "Create Substrate");
    ASSERT_NE(create, nullptr);
    create->trigger();
    ASSERT_EQ(context().scene.objectCount(), 1);
    expectFramed(window->view(), "Create Substrate");
}

TEST_F(Framing, ABatchRunIntoAnEmptySceneFramesItsBlockAndItsPicture)
{
    // A block in a corner of a larger volume, as the example lists make it, and a picture.
    const QString list = folder.filePath("corner.plst");
    const QString picture = folder.filePath("corner.png");
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(
        list, {DialogTest::step(11, {{"Material_Id", 1u},
                                     {"Lower Left Front Corner", QVariant::fromValue(Util::Vector3D())},
                                     {"SphericalSubstrate", false},
                                     {"Substrate Delta X", 0u},
                                     {"Substrate Delta Y", 0u},
                                     {"Substrate Delta Z", 0u},
                                     {"Substrate Size X", 30u},
                                     {"Substrate Size Y", 30u},
                                     {"Substrate Size Z", 10u},
                                     {"Volume Size X", 60u},
                                     {"Volume Size Y", 60u},
                                     {"Volume Size Z", 40u}}),
               DialogTest::step(10, {{"Filename", picture}})}));
    window->view()->setShowAxis(false);
    {
        Ui::RunProcessesDialog dialog(context(), window->view(), nullptr, list, window);
        dialog.show();
        dialog.findChild<QPushButton *>("btnRun")->click();
        for (int i = 0; i < 1200 && !dialog.findChild<QPushButton *>("btnRun")->isEnabled(); ++i)
            QTest::qWait(50);
        ASSERT_TRUE(dialog.findChild<QPushButton *>("btnRun")->isEnabled());
        ASSERT_EQ(dialog.progress()->value(), 2) << dialog.statusLabel()->text().toStdString();
        dialog.close();
    }
    ASSERT_EQ(context().scene.objectCount(), 1);
    expectFramed(window->view(), "after the run");

    QImage saved(picture);
    ASSERT_FALSE(saved.isNull());
    const QRect drawn = drawnExtent(saved);
    EXPECT_LE(std::abs(QRectF(drawn).center().x() - saved.width() / 2.0), 0.05 * saved.width());
    EXPECT_GE(std::max(drawn.width() / double(saved.width()), drawn.height() / double(saved.height())), 0.4);
}
