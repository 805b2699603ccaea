// File > "Export 3-D ...": the chooser's filters, the files written for the chosen filter
// and suffix, the volume taken (selected, else the first), and the boxes that say why
// nothing was written.
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Console/commandconsole.h"
#include "UI/mainwindow.h"
#include "dialogtestsupport.h"
#include "exportreaders.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Chooser
{
    QString title;
    QStringList filters;
    QString folder;
    QString filter;
};

// Answers the next chooser with `filter` and `path`, noting what it offered.
void answerChooser(Chooser *seen, int filter, const QString &path)
{
    DialogTest::whenModalAppears<QFileDialog>([=](QFileDialog *chooser) {
        seen->title = chooser->windowTitle();
        seen->filters = chooser->nameFilters();
        seen->folder = chooser->directory().absolutePath();
        seen->filter = chooser->selectedNameFilter();
        chooser->selectNameFilter(chooser->nameFilters().value(filter));
        DialogTest::chooseFile(chooser, path);
    });
}

void takeBox(QString *title, QString *text)
{
    DialogTest::whenModalAppears<QMessageBox>([=](QMessageBox *box) {
        *title = box->windowTitle();
        *text = box->text();
        box->accept();
    });
}

std::shared_ptr<Model::Automaton::TotalVolume> stack(uint32_t nx, bool filled)
{
    std::vector<uint32_t> ids;
    for (uint32_t x = 0; x < nx; ++x)
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t z = 0; z < 4; ++z)
                ids.push_back(!filled ? 0u : z < 2 ? 1u : 3u);
    return std::make_shared<Model::Automaton::TotalVolume>(nx, 3, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);
}

} // namespace

TEST(Export3DMenu, WritesTheChosenFormatOfTheChosenVolume)
{
    QTemporaryDir dir;
    auto *window = new Ui::MainWindow();
    window->resize(800, 600);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    auto &context = window->getPresenter().getContext();
    auto transcript = [window] { return window->getPresenter().getConsole()->transcript()->toPlainText(); };

    // Next to "Export Data" in the File menu.
    QAction *entry = nullptr;
    const QList<QAction *> file = window->menu("menuFile")->actions();
    for (int i = 0; i + 1 < file.size(); ++i)
        if (file[i]->text() == "Export 3-D ..." && file[i + 1]->text() == "Export Data")
            entry = file[i];
    ASSERT_NE(entry, nullptr);

    QString title, text;
    takeBox(&title, &text);
    entry->trigger();
    EXPECT_EQ(title, "Export 3-D");
    EXPECT_EQ(text, "There is no cell volume to export. Create a substrate or open a document first.");

    // The lone volume, one STL file per material.
    const auto first = stack(4, true);
    context.scene.add(first);
    Chooser seen;
    answerChooser(&seen, 2, dir.filePath("gui.stl"));
    entry->trigger();
    EXPECT_EQ(seen.title, "Export 3-D");
    EXPECT_EQ(seen.filters, (QStringList{"VTK Image Data (*.vti)", "STL Surface (*.stl)",
                                         "STL Surface, One File per Material (*.stl)"}));
    EXPECT_EQ(seen.folder, QDir::home().absolutePath());
    EXPECT_EQ(seen.filter, "VTK Image Data (*.vti)");
    const QStringList files = {dir.filePath("gui-Si.stl"), dir.filePath("gui-Thermal_Si02.stl")};
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"gui-Si.stl", "gui-Thermal_Si02.stl"}));
    for (const QString &f : files) {
        const StlTest::Shape shape = StlTest::shapeOf(StlTest::read(f));
        EXPECT_EQ(shape.unpairedEdges, 0u);
        EXPECT_NEAR(shape.volume, 24.0, 1e-9);
    }
    EXPECT_TRUE(transcript().contains("Export 3-D: Written to " + QDir::toNativeSeparators(files[0]) + ", " +
                                      QDir::toNativeSeparators(files[1]) + "."))
        << transcript().toStdString();
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith("Exported to ")) << window->statusBar()->currentMessage().toStdString();

    // The selected volume rather than the first, as image data; the chooser comes back
    // in the last folder with the last filter.
    const auto second = stack(7, true);
    context.scene.add(second);
    context.setObjectSelected(second, true);
    answerChooser(&seen, 0, dir.filePath("second.vti"));
    entry->trigger();
    EXPECT_EQ(seen.folder, QDir(dir.path()).absolutePath());
    EXPECT_EQ(seen.filter, "STL Surface, One File per Material (*.stl)");
    const VtkTest::ImageData image = VtkTest::readWithVtk(dir.filePath("second.vti"));
    ASSERT_TRUE(image.error.isEmpty()) << image.error.toStdString();
    EXPECT_EQ(image.cells, (std::array<int, 3>{7, 3, 4}));

    // A volume with nothing solid: a box says why, and no file appears.
    context.setObjectSelected(second, false);
    const auto empty = stack(2, false);
    context.scene.add(empty);
    context.setObjectSelected(empty, true);
    answerChooser(&seen, 1, dir.filePath("empty.stl"));
    takeBox(&title, &text);
    entry->trigger();
    EXPECT_EQ(title, "Export 3-D");
    EXPECT_EQ(text, "The cell volume could not be exported to \"" + QDir::toNativeSeparators(dir.filePath("empty.stl")) +
                        "\": there is no surface to write: the cell volume shows no solid cells.\n\n"
                        "Files already there keep their previous contents.");
    EXPECT_FALSE(QFile::exists(dir.filePath("empty.stl")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    window->close();
    QApplication::processEvents();
}
