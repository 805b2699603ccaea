// Damaged files given to the program where a user gives them: File > Open, the batch
// dialog's Load Process List, the photolithography mask boxes, and catalogues found at
// start-up. Each shows its message box, and the open document, the dialog's list and
// every file stay as they were.
#include "badinputs.h"
#include "dialogtestsupport.h"
#include "testenv.h"

#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialconflict.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/documentfile.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Operations/maskfilebox.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/mainwindow.h"
#include "UI/operationfactory.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

using namespace BadInputs;
using Model::Materials::MaterialFactory;

namespace {


struct Box
{
    QString title;
    QString text;
};

// Answers the next file dialog with `path`, then takes the message box that follows.
void chooseFileThenTakeBox(const QString &path, Box *box)
{
    DialogTest::whenModalAppears<QFileDialog>([path, box](QFileDialog *chooser) {
        DialogTest::whenModalAppears<QMessageBox>([box](QMessageBox *shown) {
            box->title = shown->windowTitle();
            box->text = shown->text();
            shown->button(QMessageBox::Ok) ? shown->button(QMessageBox::Ok)->click() : shown->accept();
        });
        DialogTest::chooseFile(chooser, path);
    });
}

// A folder holding the file the user picks, and a neighbour; both must stay as they were.
struct Folder
{
    Folder()
    {
        EXPECT_TRUE(dir.isValid());
        EXPECT_TRUE(writeFile(dir.filePath("neighbour.mem"), corpusFile("document/small.mem")));
    }
    QString put(const QByteArray &bytes) const
    {
        const QString path = dir.filePath(QStringLiteral("picked"));
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }
    QTemporaryDir dir;
};

} // namespace

TEST(GuiBadInputs, OpeningADamagedDocumentShowsTheErrorAndLeavesTheOpenOne)
{
    MaterialFactory::instance()->resetToBuiltIns();
    Model::Materials::MaterialConflict::pending().clear();
    Core::Operations::OperationContext context;
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Kelvane  open.mem"));
    context.setFactory(std::make_shared<Ui::OperationFactory>(context, &window));
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(3, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    context.scene.add(volume);
    context.scene.setName(QStringLiteral("open.mem"));
    const std::vector<uint32_t> cells = volume->materialIds();

    std::vector<Variant> variants = onePerKind(xmlVariants(corpusFile("document/small.mem"), {}));
    for (const Variant &v : xmlVariants(corpusFile("document/small.mem"), {{" size-z=\"", NumberSite::Count}}))
        if (v.name.endsWith("4000000000\"") || v.name.endsWith("abc\""))
            variants.push_back(v);
    Folder folder;
    for (const Variant &v : variants) {
        SCOPED_TRACE(v.name.toStdString());
        const QString path = folder.put(v.bytes);
        const auto before = checksums(folder.dir.path());
        Box box;
        chooseFileThenTakeBox(path, &box);
        context.activate(11); // File > Open
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(box.title, Model::Persistence::DocumentFile::readErrorTitle);
        EXPECT_TRUE(box.text.startsWith("Unable to ") || box.text.startsWith("The specified file is not"))
            << box.text.toStdString();
        EXPECT_EQ(checksums(folder.dir.path()), before);
        for (QWidget *w : QApplication::topLevelWidgets())
            EXPECT_FALSE(qobject_cast<Ui::MainWindow *>(w) && w->isVisible());
        ASSERT_EQ(context.scene.objectCount(), 1);
        EXPECT_EQ(context.scene.objects()[0], volume);
        EXPECT_EQ(volume->materialIds(), cells);
        EXPECT_EQ(context.scene.name(), QStringLiteral("open.mem"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Kelvane  open.mem"));
    }
    MaterialFactory::instance()->resetToBuiltIns();
}

TEST(GuiBadInputs, LoadingADamagedProcessListKeepsTheDialogsList)
{
    MaterialFactory::instance()->resetToBuiltIns();
    Core::Operations::OperationContext context;
    const QString good = QStringLiteral(KELVANE_EXAMPLES_DIR "/substrate.plst");
    Ui::RunProcessesDialog dialog(context, nullptr, nullptr, good);
    dialog.show();
    ASSERT_EQ(dialog.getList().size(), 2u);

    Folder folder;
    for (const Variant &v : onePerKind(xmlVariants(exampleFile("allsteps.plst"), {}))) {
        SCOPED_TRACE(v.name.toStdString());
        const QString path = folder.put(v.bytes);
        const auto before = checksums(folder.dir.path());
        Box box;
        chooseFileThenTakeBox(path, &box);
        dialog.findChild<QPushButton *>(QStringLiteral("btnLoadList"))->click();
        EXPECT_EQ(box.title, Ui::RunProcessesDialog::fileCaption);
        EXPECT_TRUE(box.text.startsWith(QStringLiteral("The process list %1 could not be read: ").arg(path)))
            << box.text.toStdString();
        EXPECT_GT(box.text.size(), QStringLiteral("The process list %1 could not be read: ").arg(path).size());
        EXPECT_EQ(checksums(folder.dir.path()), before);
        EXPECT_EQ(dialog.getList().size(), 2u);
        EXPECT_EQ(dialog.getFileName(), good);
        EXPECT_EQ(dialog.tree()->topLevelItemCount(), 2);
    }
    dialog.findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
    MaterialFactory::instance()->resetToBuiltIns();
}

TEST(GuiBadInputs, ADamagedMaskImageIsRefusedAndTheMaskKept)
{
    Ui::Operations::PhotolithographyDialog dialog;
    dialog.show();
    Ui::Operations::MaskFileBox *box = dialog.topBox();
    const QString good = QStringLiteral(KELVANE_CORPUS_DIR "/mask/window.png");
    box->fileField()->setText(good);
    QTest::mouseClick(box->applyButton(), Qt::LeftButton);
    ASSERT_FALSE(dialog.getTopMask().isEmpty());
    const Core::Operations::Mask mask = dialog.getTopMask();

    Folder folder;
    std::vector<Variant> variants = onePerKind(imageVariants(corpusFile("mask/window.png")));
    for (const Variant &v : imageVariants(corpusFile("mask/window.png")))
        if (v.kind == QLatin1String("huge size"))
            variants.push_back(v);
    for (const Variant &v : variants) {
        SCOPED_TRACE(v.name.toStdString());
        const QString path = folder.put(v.bytes);
        const auto before = checksums(folder.dir.path());
        Box shown;
        DialogTest::whenModalAppears<QMessageBox>([&shown](QMessageBox *m) {
            shown.title = m->windowTitle();
            shown.text = m->text();
            m->accept();
        });
        box->fileField()->setText(path);
        QTest::mouseClick(box->applyButton(), Qt::LeftButton);
        EXPECT_EQ(shown.title, QStringLiteral("Top Mask"));
        EXPECT_FALSE(shown.text.isEmpty());
        EXPECT_EQ(dialog.getTopMask(), mask);
        EXPECT_EQ(dialog.getTopMaskFile(), good);
        EXPECT_EQ(checksums(folder.dir.path()), before);
    }
    dialog.reject();
}

TEST(GuiBadInputs, AnUnreadableCatalogueAtStartUpIsKeptAndTheUserTold)
{
    const auto materials = MaterialFactory::instance();
    const QString path = MaterialFactory::filePath();
    materials->resetToBuiltIns();
    ASSERT_TRUE(materials->saveMaterials());
    const QByteArray original = readFile(path);

    for (const Variant &v : onePerKind(xmlVariants(corpusFile("materials/builtin.xml"), {}))) {
        if (v.kind != QLatin1String("truncated") && v.kind != QLatin1String("binary"))
            continue;
        SCOPED_TRACE(v.name.toStdString());
        ASSERT_TRUE(writeFile(path, v.bytes));
        materials->startUp(); // as the program does before its first window
        Box box;
        DialogTest::whenModalAppears<QMessageBox>([&box](QMessageBox *m) {
            box.title = m->windowTitle();
            box.text = m->text();
            m->accept();
        });
        auto *window = new Ui::MainWindow();
        window->show();
        for (int i = 0; i < 200 && box.title.isEmpty(); ++i)
            QTest::qWait(20);
        window->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(box.title, Ui::MainWindow::startUpNoticeTitle);
        EXPECT_TRUE(box.text.contains(path + ".bak")) << box.text.toStdString();
        EXPECT_EQ(readFile(path + ".bak"), v.bytes);
        EXPECT_EQ(materials->getMaterials().size(), MaterialFactory::builtInMaterials().size());
        QFile::remove(path + ".bak");
    }
    ASSERT_TRUE(writeFile(path, original));
    materials->startUp();
    EXPECT_EQ(QDir(TestEnv::homeDir() + "/Kelvane").entryList({"materials.xml*"}, QDir::Files),
              QStringList({"materials.xml"}));
}
