// The document operations as the user meets them: the file dialogs, the window title,
// the error boxes, the material conflict dialog and the new window of "Open".
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialconflict.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/documentfile.h"
#include "UI/Observers/documentopenedobserver.h"
#include "UI/Observers/materialconflictobserver.h"
#include "UI/mainwindow.h"
#include "UI/materialconflictdialog.h"
#include "dialogtestsupport.h"
#include "UI/operationfactory.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using Core::Operations::OperationContext;
using Model::Automaton::TotalVolume;
using Model::Materials::MaterialConflictChoice;
using Model::Materials::MaterialFactory;

namespace {

// Runs `act` on the next modal dialog of type T once it is open. If none comes within
// the time limit the test fails and whatever modal is open is rejected.
template <class T>
void whenModal(std::function<void(T *)> act, int timeoutMs = 8000)
{
    auto *timer = new QTimer();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act, timeoutMs] {
        QWidget *modal = QApplication::activeModalWidget();
        if (T *dialog = qobject_cast<T *>(modal)) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "expected dialog did not open";
            if (auto *d = qobject_cast<QDialog *>(modal))
                d->reject();
        }
    });
    timer->start(20);
}

// Fails (and closes it) if any modal dialog opens while alive.
class NoDialogGuard
{
public:
    NoDialogGuard()
    {
        QObject::connect(&timer, &QTimer::timeout, [] {
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "unexpected dialog " << d->windowTitle().toStdString();
                d->reject();
            }
        });
        timer.start(20);
    }

private:
    QTimer timer;
};

void clickMessageBoxOk(QMessageBox *box)
{
    box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A document with material 1 named "Carbon" (the catalogue's 1 is "Si"), 1 x 1 x 2 cells.
const QByteArray conflictingDocument =
    "<?xml version=\"1.0\"?><Document><Header version=\"1\"/>"
    "<Material version=\"1\" name=\"Carbon\" material-id=\"1\" density=\"2260\" "
    "poisson-ratio=\"0.2\" young-modulus=\"1e+10\" color=\"#FF101010\"/>"
    "<Object object-type=\"1\" size-x=\"1\" size-y=\"1\" size-z=\"2\"><State>1 0 </State>"
    "<Position pos-x=\"0\" pos-y=\"0\" pos-z=\"0\"/></Object></Document>";

struct DocumentUi : ::testing::Test
{
    void SetUp() override
    {
        MaterialFactory::instance()->resetToBuiltIns();
        Model::Materials::MaterialConflict::pending().clear();
        window = std::make_unique<QMainWindow>();
        window->setWindowTitle(QStringLiteral("Kelvane"));
        context.setFactory(std::make_shared<Ui::OperationFactory>(context, window.get()));
    }
    void TearDown() override
    {
        MaterialFactory::instance()->resetToBuiltIns();
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<Ui::MainWindow *>(w))
                w->close();
        QApplication::processEvents();
    }
    QString path(const QString &name) const { return folder.path() + QLatin1Char('/') + name; }

    QTemporaryDir folder;
    OperationContext context;
    std::unique_ptr<QMainWindow> window;
};

Ui::MainWindow *windowTitled(const QString &title)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *m = qobject_cast<Ui::MainWindow *>(w))
            if (m->windowTitle() == title)
                return m;
    return nullptr;
}

} // namespace

TEST_F(DocumentUi, SaveAsksOnceAndTitlesTheWindow)
{
    auto volume = std::make_shared<TotalVolume>(1, 1, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(),
                                                std::vector<uint32_t>{1, 0});
    context.scene.add(volume);
    const QString file = path(QStringLiteral("saved.mem"));
    QString title, filter, folderShown;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        title = d->windowTitle();
        filter = d->nameFilters().join(QLatin1Char(';'));
        folderShown = d->directory().absolutePath();
        DialogTest::chooseFile(d, file);
    });
    context.activate(9); // File > Save
    EXPECT_EQ(title, QStringLiteral("Choose location"));
    EXPECT_EQ(filter, QStringLiteral("Kelvane file (*.mem)"));
    EXPECT_EQ(folderShown, QDir::homePath());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvane  ") + file);
    EXPECT_TRUE(fileBytes(file).contains("<State>1 0 </State>"));

    // The second Save goes straight to the same file.
    Model::Automaton::VoxelLock(*volume)[1].setMaterialId(4);
    {
        NoDialogGuard guard;
        context.activate(9);
        QApplication::processEvents();
    }
    EXPECT_TRUE(fileBytes(file).contains("<State>1 4 </State>"));

    // Save As asks again, and the title follows.
    const QString other = path(QStringLiteral("other.mem"));
    whenModal<QFileDialog>([&](QFileDialog *d) { DialogTest::chooseFile(d, other); });
    context.activate(10);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvane  ") + other);
    EXPECT_TRUE(QFile::exists(other));
}

TEST_F(DocumentUi, AFailedSaveShowsTheErrorBox)
{
    context.scene.add(std::make_shared<TotalVolume>(1, 1, 1, 1.0f, 1.0f, 1.0f, Util::Vector3D()));
    context.scene.setName(path(QStringLiteral("gone/doc.mem")));
    QString title, text;
    whenModal<QMessageBox>([&](QMessageBox *box) {
        title = box->windowTitle();
        text = box->text();
        clickMessageBoxOk(box);
    });
    context.activate(9);
    EXPECT_EQ(title, QStringLiteral("Error writing to file"));
    EXPECT_EQ(text, QStringLiteral("Unable to save document to the specified file."));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvane"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("gone/doc.mem"))));
}

TEST_F(DocumentUi, ConflictDialogShowsBothMaterialsAndEachChoiceMaps)
{
    const QString file = path(QStringLiteral("conflict.mem"));
    writeFileBytes(file, conflictingDocument);
    const auto catalogue = MaterialFactory::instance();
    struct Case
    {
        MaterialConflictChoice choice;
        bool accept;
    };
    for (const Case c : {Case{MaterialConflictChoice::ReplaceLoadedByExisting, true},
                         Case{MaterialConflictChoice::ReplaceExistingByLoaded, true},
                         Case{MaterialConflictChoice::ReplaceLoadedByOther, true},
                         Case{MaterialConflictChoice::AddLoadedAsNew, true},
                         Case{MaterialConflictChoice::ReplaceLoadedByExisting, false}}) {
        SCOPED_TRACE(int(c.choice) + (c.accept ? 0 : 10));
        catalogue->resetToBuiltIns();
        bool shown = false;
        whenModal<Ui::MaterialConflictDialog>([&](Ui::MaterialConflictDialog *d) {
            shown = true;
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Dialog"));
            EXPECT_EQ(d->loadedNameLabel()->text(), QStringLiteral("Carbon"));
            EXPECT_EQ(d->existingNameLabel()->text(), QStringLiteral("Si"));
            EXPECT_FALSE(d->findChildren<QLabel *>().isEmpty());
            bool asked = false;
            for (QLabel *l : d->findChildren<QLabel *>())
                asked = asked || l->text() == Ui::MaterialConflictDialog::question;
            EXPECT_TRUE(asked);
            EXPECT_TRUE(d->choiceButton(MaterialConflictChoice::ReplaceLoadedByExisting)->isChecked());
            EXPECT_FALSE(d->replacementBox()->isEnabled());
            QTest::mouseClick(d->choiceButton(c.choice), Qt::LeftButton);
            EXPECT_EQ(d->replacementBox()->isEnabled(), c.choice == MaterialConflictChoice::ReplaceLoadedByOther);
            if (c.choice == MaterialConflictChoice::ReplaceLoadedByOther)
                d->replacementBox()->setCurrentIndex(d->replacementBox()->findText(QStringLiteral("Au (bulk)")));
            auto *buttons = d->findChild<QDialogButtonBox *>();
            buttons->button(c.accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        Model::Scene scene;
        const Model::Materials::MaterialReconciler reconciler(
            std::make_shared<Ui::Observers::MaterialConflictObserver>(window.get()), nullptr);
        ASSERT_TRUE(Model::Persistence::DocumentFile::open(file, scene, context.archivers, reconciler).ok());
        EXPECT_TRUE(shown);
        auto volume = std::dynamic_pointer_cast<TotalVolume>(scene.objects().at(0));
        const uint32_t cell = volume->materialIds()[0];
        switch (c.accept ? int(c.choice) : -1) {
        case int(MaterialConflictChoice::ReplaceLoadedByExisting):
            EXPECT_EQ(cell, 1u);
            EXPECT_EQ(catalogue->getMaterial(1).name, QStringLiteral("Si"));
            break;
        case int(MaterialConflictChoice::ReplaceExistingByLoaded):
            EXPECT_EQ(cell, 1u);
            EXPECT_EQ(catalogue->getMaterial(1).name, QStringLiteral("Carbon"));
            break;
        case int(MaterialConflictChoice::ReplaceLoadedByOther):
            EXPECT_EQ(cell, 9u);
            break;
        default: // a new material, also when the dialog is cancelled
            EXPECT_GE(cell, 2000u);
            EXPECT_EQ(catalogue->getMaterial(cell).name, QStringLiteral("Carbon"));
            EXPECT_EQ(catalogue->getMaterial(1).name, QStringLiteral("Si"));
        }
    }
}

TEST_F(DocumentUi, OpenShowsTheDocumentInANewWindow)
{
    const QString file = path(QStringLiteral("open.mem"));
    writeFileBytes(file, conflictingDocument);

    QString title;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        title = d->windowTitle();
        whenModal<Ui::MaterialConflictDialog>([](Ui::MaterialConflictDialog *c) {
            QTest::mouseClick(c->choiceButton(MaterialConflictChoice::ReplaceLoadedByOther), Qt::LeftButton);
            c->replacementBox()->setCurrentIndex(c->replacementBox()->findText(QStringLiteral("Cu (bulk)")));
            c->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        DialogTest::chooseFile(d, file);
    });
    context.activate(11); // File > Open
    EXPECT_EQ(title, QStringLiteral("Choose file"));

    Ui::MainWindow *opened = windowTitled(QStringLiteral("Kelvane  ") + file);
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isVisible());
    EXPECT_TRUE(opened->windowState() & Qt::WindowMaximized);
    OperationContext &target = opened->getPresenter().getContext();
    EXPECT_EQ(target.scene.name(), file);
    const auto objects = target.scene.objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(std::dynamic_pointer_cast<TotalVolume>(objects[0])->materialIds(),
              (std::vector<uint32_t>{5, 0}));
    // The asking window is unchanged.
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kelvane"));
    EXPECT_EQ(context.scene.objectCount(), 0);

    // The next dialog starts at that document.
    QString startFile;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        startFile = d->directory().absolutePath();
        d->reject();
    });
    context.activate(11);
    EXPECT_EQ(startFile, QFileInfo(file).absolutePath());
}

TEST_F(DocumentUi, OpeningSomethingElseShowsTheErrorAndNoWindow)
{
    const QString file = path(QStringLiteral("notes.mem"));
    const QByteArray bytes = "these are my notes, not a document\n";
    writeFileBytes(file, bytes);
    QString title, text;
    whenModal<QFileDialog>([&](QFileDialog *d) {
        whenModal<QMessageBox>([&](QMessageBox *box) {
            title = box->windowTitle();
            text = box->text();
            clickMessageBoxOk(box);
        });
        DialogTest::chooseFile(d, file);
    });
    context.activate(11);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(title, QStringLiteral("Error reading from file"));
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(fileBytes(file), bytes);
    EXPECT_EQ(windowTitled(QStringLiteral("Kelvane  ") + file), nullptr);
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<Ui::MainWindow *>(w) && w->isVisible());
}
