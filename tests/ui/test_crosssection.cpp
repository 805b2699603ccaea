// File > Save Cross-Section: the plane dialog with its ranges, the file chooser, the
// picture written from the selected volume, and the cases where nothing is written.
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Operations/crosssectiondialog.h"
#include "UI/crosssectionsaver.h"
#include "UI/mainwindow.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using Ui::MainWindow;
using Ui::Operations::CrossSectionDialog;

namespace {

// A 4 x 3 x 5 volume of Cr (colour 0.8, 0.8, 0.8) two layers deep, with one PDMS cell
// (white) on top at x 1, y 2, and a second, empty volume that is selected.
struct Scene
{
    explicit Scene(Core::Operations::OperationContext &context)
    {
        cut = std::make_shared<Model::Automaton::TotalVolume>(4, 3, 5, 1.0f, 1.0f, 1.0f, Util::Vector3D());
        {
            Model::Automaton::VoxelLock cells(*cut);
            for (uint32_t x = 0; x < 4; ++x)
                for (uint32_t y = 0; y < 3; ++y)
                    for (uint32_t z = 0; z < 2; ++z)
                        cells[cut->index(x, y, z)].setMaterialId(6);
            cells[cut->index(1, 2, 2)].setMaterialId(13);
        }
        context.scene.add(std::make_shared<Model::Automaton::TotalVolume>(9, 9, 9, 1.0f, 1.0f, 1.0f,
                                                                          Util::Vector3D(20, 0, 0)));
        context.scene.add(cut);
        context.setObjectSelected(cut, true);
    }
    Model::Automaton::TotalVolumePtr cut;
};

} // namespace

TEST(SaveCrossSection, MenuEntryCutsTheSelectedVolumeWhereTheUserChooses)
{
    QTemporaryDir dir;
    auto *window = new MainWindow();
    window->show();
    Scene scene(window->getPresenter().getContext());
    QAction *entry = window->action("actionSave_Cross_Section");
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(window->menu("menuFile")->actions().contains(entry));
    EXPECT_EQ(entry->text(), "Save Cross-Section");

    // The dialog opens on y at the middle; z offers cells 0 to 4 of the selected volume.
    QString title, axisLabel, indexLabel, rangeAtStart, rangeOfZ, caption, offered;
    QStringList axes, filters;
    int startIndex = -1, startMaximum = -1, maximumOfZ = -1;
    const QString chosen = dir.filePath("top");
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<CrossSectionDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        for (int i = 0; i < dialog->axisBox()->count(); ++i)
            axes << dialog->axisBox()->itemText(i);
        axisLabel = DialogTest::labelOf(dialog->axisBox());
        indexLabel = DialogTest::labelOf(dialog->indexBox());
        startIndex = dialog->indexBox()->value();
        startMaximum = dialog->indexBox()->maximum();
        rangeAtStart = dialog->rangeLabel()->text();
        dialog->axisBox()->setFocus();
        QTest::keyClicks(dialog->axisBox(), "z");
        maximumOfZ = dialog->indexBox()->maximum();
        rangeOfZ = dialog->rangeLabel()->text();
        DialogTest::type(dialog->indexBox(), "9"); // beyond the volume: held at 4
        DialogTest::type(dialog->indexBox(), "2");
        // Then the file chooser, offering a name after the plane in the home folder.
        QTimer::singleShot(0, [&] {
            auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            caption = chooser->windowTitle();
            filters = chooser->nameFilters();
            offered = QDir(chooser->directory()).filePath(chooser->selectedFiles().value(0).section('/', -1));
            DialogTest::chooseFile(chooser, chosen);
        });
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    entry->trigger();

    EXPECT_EQ(title, "Save Cross-Section");
    EXPECT_EQ(axes, (QStringList{"x (side view: y across, z up)", "y (side view: x across, z up)",
                                 "z (top view: x across, y up)"}));
    EXPECT_EQ(axisLabel, "Cut across");
    EXPECT_EQ(indexLabel, "At cell");
    EXPECT_EQ(startIndex, 1);
    EXPECT_EQ(startMaximum, 2);
    EXPECT_EQ(rangeAtStart, "y runs from cell 0 to cell 2");
    EXPECT_EQ(maximumOfZ, 4);
    EXPECT_EQ(rangeOfZ, "z runs from cell 0 to cell 4");
    EXPECT_EQ(caption, "Save Cross-Section");
    EXPECT_EQ(filters, QStringList{"PNG Image (*.png)"});
    EXPECT_EQ(offered, QDir(QDir::homePath()).filePath("cross-section-z2.png"));

    // The picture, seen from above: 4 x 3 cells of 150 pixels, the PDMS cell at x 1, y 2
    // in the top row, the rest of the layer empty.
    const QString written = chosen + ".png";
    const QImage image(written);
    ASSERT_FALSE(image.isNull()) << written.toStdString();
    auto cell = [&](int x, int y) { return image.pixel(60 + x * 150 + 75, 64 + (2 - y) * 150 + 75); };
    EXPECT_EQ(cell(1, 2), qRgb(255, 255, 255));
    EXPECT_EQ(cell(0, 2), qRgb(232, 236, 240));
    EXPECT_EQ(cell(3, 0), qRgb(232, 236, 240));
    EXPECT_EQ(window->statusBar()->currentMessage(),
              "Cross-section at z = 2 saved to " + QDir::toNativeSeparators(written));
    EXPECT_EQ(Ui::CrossSectionSaver::lastDirectory(), dir.path());

    // A cut across x through the Cr: the next chooser opens in the folder just used.
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<CrossSectionDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        dialog->axisBox()->setFocus();
        QTest::keyClicks(dialog->axisBox(), "x");
        DialogTest::type(dialog->indexBox(), "3");
        QTimer::singleShot(0, [&] {
            auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            offered = QDir(chooser->directory()).filePath(chooser->selectedFiles().value(0).section('/', -1));
            DialogTest::chooseFile(chooser, dir.filePath("side.png"));
        });
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    entry->trigger();
    EXPECT_EQ(offered, dir.filePath("cross-section-x3.png"));
    const QImage side(dir.filePath("side.png"));
    ASSERT_FALSE(side.isNull());
    // y across, z up: 3 x 5 cells of 120 pixels; Cr in the two bottom rows.
    EXPECT_EQ(side.pixel(60 + 60, 64 + 4 * 120 + 60), qRgb(204, 204, 204));
    EXPECT_EQ(side.pixel(60 + 2 * 120 + 60, 64 + 3 * 120 + 60), qRgb(204, 204, 204));
    EXPECT_EQ(side.pixel(60 + 2 * 120 + 60, 64 + 2 * 120 + 60), qRgb(232, 236, 240));

    // Cancelling either dialog writes nothing and leaves the status bar as it was.
    window->statusBar()->clearMessage();
    DialogTest::whenDialogOpens([](QDialog *d) { DialogTest::press(d, QDialogButtonBox::Cancel); });
    entry->trigger();
    DialogTest::whenDialogOpens([&](QDialog *d) {
        QTimer::singleShot(0, [] { QMetaObject::invokeMethod(QApplication::activeModalWidget(), "reject"); });
        DialogTest::press(d, QDialogButtonBox::Ok);
    });
    entry->trigger();
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);

    // A folder that cannot be written is reported, and the remembered folder stays.
    QString box;
    DialogTest::whenDialogOpens([&](QDialog *d) {
        QTimer::singleShot(0, [&] {
            auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(chooser, nullptr);
            DialogTest::whenModalAppears<QMessageBox>([&](QMessageBox *m) {
                box = m->text();
                m->accept();
            });
            DialogTest::chooseFile(chooser, dir.filePath("missing/cut.png"));
        });
        DialogTest::press(d, QDialogButtonBox::Ok);
    });
    entry->trigger();
    EXPECT_TRUE(box.startsWith("The cross-section could not be saved to \"" +
                               QDir::toNativeSeparators(dir.filePath("missing/cut.png")) + "\": "))
        << box.toStdString();
    EXPECT_EQ(Ui::CrossSectionSaver::lastDirectory(), dir.path());
    window->close();
    QApplication::processEvents();
}

TEST(SaveCrossSection, WithoutAVolumeSaysSo)
{
    auto *window = new MainWindow();
    window->show();
    QString title, text;
    DialogTest::whenDialogOpens([&](QDialog *d) {
        title = d->windowTitle();
        text = qobject_cast<QMessageBox *>(d) ? qobject_cast<QMessageBox *>(d)->text() : QString();
        d->accept();
    });
    window->action("actionSave_Cross_Section")->trigger();
    EXPECT_EQ(title, "Save Cross-Section");
    EXPECT_EQ(text, "There is no cell volume to cut. Create a substrate first.");
    window->close();
    QApplication::processEvents();
}

// A cut whose picture would be too large is refused when the plane is chosen, with the
// size it would need, and no file is asked for or written.
TEST(SaveCrossSection, TooLargeAPictureIsRefusedBeforeAFileIsAsked)
{
    QTemporaryDir dir;
    auto *window = new MainWindow();
    window->show();
    auto &context = window->getPresenter().getContext();
    const auto row = std::make_shared<Model::Automaton::TotalVolume>(20000, 1, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    context.scene.add(row);
    context.setObjectSelected(row, true);
    QString box;
    bool chooserShown = false;
    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<CrossSectionDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        dialog->axisBox()->setFocus();
        QTest::keyClicks(dialog->axisBox(), "y");
        DialogTest::whenModalAppears<QMessageBox>([&](QMessageBox *m) {
            box = m->text();
            m->accept();
        });
        QTimer::singleShot(0, [&] {
            if (auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                chooserShown = true;
                chooser->reject();
            }
        });
        DialogTest::press(dialog, QDialogButtonBox::Ok);
    });
    window->action("actionSave_Cross_Section")->trigger();
    EXPECT_FALSE(chooserShown);
    EXPECT_EQ(box, "The cross-section cannot be drawn: a picture of the cut at y = 0 (20000 x 2 cells) would need "
                   "20000 x 2 pixels for its cells, more than the 16384 pixels a side and 64 megapixels a picture "
                   "may have");
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    window->close();
    QApplication::processEvents();
}
