// The main window as a new user meets it: the console in sight above its window (also in
// the window File > Open makes), one click on Windows > Console, the menus opened with
// Alt, and save dialogs that complete a name typed without a suffix.
#include "Core/BatchRun/processlistfile.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/documentfile.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Catalogue/managematerialsdialog.h"
#include "UI/Console/commandconsole.h"
#include "UI/mainwindow.h"
#include "UI/operationfactory.h"
#include "UI/windowstack.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemDelegate>
#include <QColor>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>

using Core::Operations::OperationContext;
using Ui::MainWindow;
using Ui::WindowStack::Answer;

namespace {

// Waits, processing events (which sends the program's requests to the X server), until
// `done` holds or ten seconds have passed.
template <class Condition>
bool eventually(Condition done)
{
    for (int i = 0; i < 500 && !done(); ++i)
        QTest::qWait(20);
    return done();
}

Answer above(const QWidget *upper, const QWidget *lower) { return Ui::WindowStack::isAbove(upper, lower); }

// The console of `window` is shown, a tool window of it, and above it in the stack.
void expectConsoleAbove(MainWindow *window)
{
    Ui::Console::CommandConsole *console = window->getPresenter().getConsole();
    ASSERT_NE(console, nullptr);
    ASSERT_TRUE(eventually([&] { return console->isVisible(); }));
    EXPECT_TRUE(window->action("actionConsole")->isChecked());
    EXPECT_EQ(console->windowType(), Qt::Tool);
    ASSERT_NE(console->windowHandle(), nullptr);
    EXPECT_EQ(console->windowHandle()->transientParent(), window->windowHandle());
    EXPECT_TRUE(eventually([&] { return above(console, window) == Answer::Yes; }));
    EXPECT_EQ(above(window, console), Answer::No);
}

struct ShownWindow : ::testing::Test
{
    void SetUp() override
    {
        window = new MainWindow();
        window->showMaximized(); // as the program starts
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<MainWindow *>(w))
                w->close(); // each deletes itself
        QApplication::processEvents();
    }
    OperationContext &context() { return window->getPresenter().getContext(); }

    MainWindow *window = nullptr;
    QTemporaryDir folder;
};

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(ShownWindow, TheConsoleOpensAboveItsWindowAndOneClickBringsItBack)
{
    expectConsoleAbove(window);
    Ui::Console::CommandConsole *console = window->getPresenter().getConsole();
    QAction *entry = window->action("actionConsole");

    // Put behind the main window (a click there under a window manager that lets it).
    console->move(window->geometry().center());
    window->raise();
    ASSERT_TRUE(eventually([&] { return above(window, console) == Answer::Yes; }));
    EXPECT_EQ(Ui::WindowStack::isCovered(console), Answer::Yes);
    EXPECT_EQ(Ui::WindowStack::isCovered(window), Answer::No);
    EXPECT_TRUE(entry->isChecked());

    // One click brings it to the front, still checked.
    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(console->isVisible());
    EXPECT_TRUE(eventually([&] { return above(console, window) == Answer::Yes; }));
    EXPECT_EQ(Ui::WindowStack::isCovered(console), Answer::No);

    // In sight, a click hides it; the next shows it again, in front.
    entry->trigger();
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(console->isVisible());
    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(console->isVisible());
    EXPECT_TRUE(eventually([&] { return above(console, window) == Answer::Yes; }));

    // Hidden without its entry knowing (the entry still checked): one click shows it.
    console->hide();
    entry->trigger();
    EXPECT_TRUE(console->isVisible());
    EXPECT_TRUE(entry->isChecked());
}

TEST_F(ShownWindow, TheWindowThatOpenMakesHasItsConsoleAboveIt)
{
    const QString file = folder.filePath("opened.mem");
    {
        OperationContext source;
        source.scene.add(std::make_shared<Model::Automaton::TotalVolume>(
            2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(), std::vector<uint32_t>(8, 1)));
        ASSERT_TRUE(Model::Persistence::DocumentFile::save(source.scene, file, source.archivers).ok());
    }
    DialogTest::whenModalAppears<QFileDialog>([file](QFileDialog *d) { DialogTest::chooseFile(d, file); });
    context().activate(11); // File > Open

    MainWindow *opened = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *m = qobject_cast<MainWindow *>(w))
            if (m != window)
                opened = m;
    ASSERT_NE(opened, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(opened));
    EXPECT_EQ(opened->getPresenter().getContext().scene.objectCount(), 1);
    expectConsoleAbove(opened);
    // The new window (and its console) above the first.
    EXPECT_EQ(above(opened, window), Answer::Yes);
}

TEST_F(ShownWindow, EveryMenuTitleOpensWithItsOwnAltLetter)
{
    QStringList shown;
    QSet<int> keys;
    for (QAction *title : window->menuBar()->actions()) {
        SCOPED_TRACE(title->text().toStdString());
        // What the bar shows, and where the title's text is used elsewhere, has no '&'.
        QString visible = title->text();
        visible.remove(QLatin1Char('&'));
        shown << visible;
        EXPECT_EQ(title->toolTip(), visible);
        EXPECT_EQ(title->iconText(), visible);
        const QKeySequence mnemonic = QKeySequence::mnemonic(title->text());
        ASSERT_EQ(mnemonic.count(), 1);
        EXPECT_EQ(mnemonic[0] & Qt::KeyboardModifierMask, int(Qt::AltModifier));
        EXPECT_FALSE(keys.contains(mnemonic[0])) << "shared by two menus";
        keys.insert(mnemonic[0]);

        // The key opens the menu, and Escape closes it again.
        QMenu *menu = title->menu();
        ASSERT_NE(menu, nullptr);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key(mnemonic[0] & ~Qt::KeyboardModifierMask), Qt::AltModifier);
        EXPECT_TRUE(eventually([&] { return menu->isVisible(); }));
        QTest::keyClick(menu, Qt::Key_Escape);
        EXPECT_TRUE(eventually([&] { return !menu->isVisible(); }));
    }
    EXPECT_EQ(shown, QStringList({"File", "Edit", "Simulation", "Materials", "Rendering", "View", "Windows", "About"}));
    // The texts the entries show elsewhere are unchanged.
    EXPECT_EQ(window->action("actionUndo")->text(), "Undo");
    EXPECT_EQ(window->action("actionSave_Image")->toolTip(), "Save a screenshot as an image.");
}

// Save, Save As and Save List complete a name typed without a suffix; a file of the
// completed name is replaced only when the user says so.
TEST(SaveSuffix, SaveAndSaveListAddTheirSuffixAndAskBeforeReplacing)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Kelvane"));
    OperationContext context;
    context.setFactory(std::make_shared<Ui::OperationFactory>(context, &window));
    context.scene.add(std::make_shared<Model::Automaton::TotalVolume>(1, 1, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D(),
                                                                      std::vector<uint32_t>{1, 0}));
    const QString typed = folder.filePath("design");
    const QString document = typed + ".mem";

    DialogTest::whenModalAppears<QFileDialog>([typed](QFileDialog *d) { DialogTest::chooseFile(d, typed); });
    context.activate(9); // File > Save
    EXPECT_TRUE(fileBytes(document).contains("<State>1 0 </State>"));
    EXPECT_FALSE(QFile::exists(typed));
    EXPECT_EQ(context.scene.name(), document);
    EXPECT_EQ(window.windowTitle(), "Kelvane  " + document);

    // Save As to the same name: the user is asked; No keeps the file as it was.
    QFile::remove(document);
    {
        QFile kept(document);
        ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
        kept.write("kept");
    }
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        QString question;
        DialogTest::whenModalAppears<QFileDialog>([&](QFileDialog *d) {
            DialogTest::whenModalAppears<QMessageBox>([&](QMessageBox *box) {
                question = box->text();
                box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            DialogTest::chooseFile(d, typed);
        });
        context.activate(10); // File > Save As
        EXPECT_TRUE(question.contains("design.mem already exists")) << question.toStdString();
        EXPECT_EQ(fileBytes(document) == "kept", !replace);
    }
    EXPECT_TRUE(fileBytes(document).contains("<State>1 0 </State>"));

    // Save List in the batch dialog.
    Ui::RunProcessesDialog batch(context, nullptr, nullptr);
    batch.show();
    const QString list = folder.filePath("flow");
    DialogTest::whenModalAppears<QFileDialog>([list](QFileDialog *d) { DialogTest::chooseFile(d, list); });
    batch.findChild<QPushButton *>(QStringLiteral("btnSaveList"))->click();
    EXPECT_TRUE(QFile::exists(list + ".plst"));
    EXPECT_FALSE(QFile::exists(list));
    EXPECT_EQ(batch.getFileName(), list + ".plst");
    // A name with a suffix of its own is kept as typed.
    DialogTest::whenModalAppears<QFileDialog>([&folder](QFileDialog *d) {
        DialogTest::chooseFile(d, folder.filePath("flow.v2.plst"));
    });
    batch.findChild<QPushButton *>(QStringLiteral("btnSaveListAs"))->click();
    EXPECT_TRUE(QFile::exists(folder.filePath("flow.v2.plst")));
    batch.reject();
}

TEST(ManageMaterialsRows, EveryRowHoldsItsTextAndItsEditor)
{
    Model::Materials::MaterialFactory::instance()->resetToBuiltIns();
    Ui::ManageMaterialsDialog dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *view = dialog.findChild<QTableView *>(QStringLiteral("tableView"));
    ASSERT_NE(view, nullptr);
    QLineEdit editor;
    QStyleOptionViewItem option;
    option.initFrom(view);
    ASSERT_GT(view->model()->rowCount(), 0);
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        EXPECT_GE(view->rowHeight(row), editor.sizeHint().height()) << "row " << row;
        // Long names ("N-doped Si (100)") on one line: every row is as tall as the first.
        EXPECT_EQ(view->rowHeight(row), view->rowHeight(0)) << "row " << row;
        for (int column = 0; column < view->model()->columnCount(); ++column) {
            const QModelIndex index = view->model()->index(row, column);
            const QSize needed = view->itemDelegate(index)->sizeHint(option, index);
            EXPECT_GE(view->rowHeight(row), needed.height()) << "row " << row << " column " << column;
        }
    }
    // Every colour's name fits beside its swatch (the swatch is two lines of text wide,
    // the name drawn inside a margin of 3 pixels and 6 pixels from the swatch).
    const QFontMetrics metrics(view->font());
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        const QString name = view->model()->index(row, 2).data().value<QColor>().name(QColor::HexArgb).toUpper();
        EXPECT_GE(view->columnWidth(2), 3 + 2 * metrics.height() + 6 + metrics.horizontalAdvance(name) + 3)
            << name.toStdString();
    }
    EXPECT_GE(view->rowHeight(0) - 6, QFontMetrics(view->font()).height());
}
