// The photolithography and masked cut dialogs driven from their menu numbers: the mask
// file boxes, the overlay shown on the volume (and drawn in the view) while the dialog
// is open, the warning boxes, presets from process-list parameters, and what the
// operations do with the values.
#include "Core/Operations/MaskedCut/maskedcutcellvolumeoperation.h"
#include "Core/Operations/Photolithography/mask.h"
#include "Core/Operations/Photolithography/photolithographyoperation.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilebox.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/glwidget.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Core::Operations;
using namespace Ui::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

using namespace DialogTest;

namespace {

// Types a file name into the box and clicks "Apply".
void applyFile(MaskFileBox *box, const QString &file)
{
    box->fileField()->clear();
    QTest::keyClicks(box->fileField(), file);
    QTest::mouseClick(box->applyButton(), Qt::LeftButton);
}

QString writeImage(const QTemporaryDir &dir, const char *name, int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    const QString file = dir.path() + QLatin1Char('/') + QLatin1String(name);
    EXPECT_TRUE(image.save(file));
    return file;
}

// Silicon in z 0..1, positive resist in z 2..3, empty above, centred on the origin.
TotalVolumePtr resistScene()
{
    auto volume = std::make_shared<TotalVolume>(10, 10, 6, 1.0f, 1.0f, 1.0f, Util::Vector3D(-5, -5, -3));
    Model::Automaton::VoxelLock cells(*volume);
    for (uint32_t x = 0; x < 10; ++x)
        for (uint32_t y = 0; y < 10; ++y)
            for (uint32_t z = 0; z < 4; ++z)
                cells[volume->index(x, y, z)].setMaterialId(z < 2 ? 1 : 11);
    return volume;
}

size_t count(const TotalVolumePtr &v, uint32_t material)
{
    const std::vector<uint32_t> ids = v->materialIds();
    return static_cast<size_t>(std::count(ids.begin(), ids.end(), material));
}

size_t cutCells(const TotalVolumePtr &v)
{
    Model::Automaton::VoxelLock cells(*v);
    size_t n = 0;
    for (size_t i = 0; i < v->getCellCount(); ++i)
        n += cells[i].isCut();
    return n;
}

class MaskDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        log = std::make_shared<Log>(context.interpreter);
        context.interpreter.addMessageObserver(log);
        context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
        volume = resistScene();
        volume->getPainter()->regenerate();
        context.scene.add(volume);
        black = writeImage(dir, "black.png", 10, 10, qRgb(0, 0, 0));
        white = writeImage(dir, "white.bmp", 10, 10, qRgb(255, 255, 255));
    }

    QTemporaryDir dir;
    OperationContext context;
    std::shared_ptr<Log> log;
    TotalVolumePtr volume;
    QString black;
    QString white;
};

} // namespace

TEST_F(MaskDialogTest, PhotolithographyDialogContents)
{
    PhotolithographyDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "Photolithography Options");
    EXPECT_EQ(dialog.topBox()->title(), "Top Mask");
    EXPECT_EQ(dialog.bottomBox()->title(), "Bottom Mask");
    for (MaskFileBox *box : {dialog.topBox(), dialog.bottomBox()}) {
        EXPECT_EQ(box->applyButton()->text(), "Apply");
        EXPECT_EQ(box->removeButton()->text(), "Remove");
        EXPECT_TRUE(box->fileField()->text().isEmpty());
        EXPECT_TRUE(box->getMask().isEmpty());
    }
    EXPECT_EQ(MaskFileBox::chooserCaption, "Choose Mask File");
    EXPECT_EQ(MaskFileBox::chooserFilter, "Image Files (*.png *.jpg *.bmp)");
    EXPECT_EQ(MaskFileBox::startDirectory(), QDir::homePath());
    // Every catalogue material, in catalogue order, with its id.
    const auto materials = Model::Materials::MaterialFactory::instance()->getMaterials();
    ASSERT_EQ(dialog.materialBox()->count(), static_cast<int>(materials.size()));
    for (int i = 0; i < dialog.materialBox()->count(); ++i) {
        EXPECT_EQ(dialog.materialBox()->itemText(i), materials[size_t(i)].name);
        EXPECT_EQ(dialog.materialBox()->itemData(i).toUInt(), materials[size_t(i)].id);
        EXPECT_FALSE(dialog.materialBox()->itemIcon(i).isNull());
    }
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    MaskedCutOptionsDialog cut;
    EXPECT_EQ(cut.windowTitle(), "Masked Cell Cut Options");
    EXPECT_EQ(cut.maskBox()->title(), "Top Down Cut Mask");
}

TEST_F(MaskDialogTest, AppliedMaskShowsOnTheVolumeAndInTheViewBeforeAccepting)
{
    Ui::GLWidget view(context);
    view.resize(400, 300);
    view.setShowAxis(false);
    view.setRotation(0.0f, 0.0f, 0.0f); // from the top
    view.setZoom(10.0f);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QRgb before = view.grabFramebuffer().pixel(200, 150);

    // A mask with one opaque pixel at its bottom-left corner: only column (0, 0)
    // keeps its resist.
    QImage corner(10, 10, QImage::Format_RGB32);
    corner.fill(qRgb(255, 255, 255));
    corner.setPixel(0, 9, qRgb(0, 0, 0));
    const QString cornerFile = dir.path() + "/corner.png";
    ASSERT_TRUE(corner.save(cornerFile));

    QRgb during = 0;
    std::vector<bool> shownTop, shownBottom;
    whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<PhotolithographyDialog *>(d);
        ASSERT_TRUE(dialog);
        applyFile(dialog->topBox(), black);
        shownTop = volume->getTopMask();
        during = view.grabFramebuffer().pixel(200, 150);
        // Then the real mask, and a bottom one that is removed again.
        applyFile(dialog->topBox(), cornerFile);
        applyFile(dialog->bottomBox(), white);
        shownBottom = volume->getBottomMask();
        QTest::mouseClick(dialog->bottomBox()->removeButton(), Qt::LeftButton);
        EXPECT_TRUE(volume->getBottomMask().empty());
        dialog->materialBox()->setCurrentIndex(dialog->materialBox()->findData(11u));
        press(dialog, QDialogButtonBox::Ok);
    });
    context.activate(20);

    EXPECT_EQ(shownTop, std::vector<bool>(100, true));
    EXPECT_EQ(shownBottom, std::vector<bool>(100, false));
    // The overlay's translucent green lies over the resist seen from above.
    EXPECT_NE(during, before);
    EXPECT_GT(qGreen(during) - qRed(during), qGreen(before) - qRed(before));

    EXPECT_EQ(log->lines.back(), "Photolithography: Operation finished.");
    EXPECT_EQ(count(volume, 11), 2u);
    {
        Model::Automaton::VoxelLock cells(*volume);
        EXPECT_EQ(cells[volume->index(0, 0, 3)].getMaterialId(), 11u);
    }
    EXPECT_TRUE(volume->getTopMask().empty());
    EXPECT_TRUE(volume->getBottomMask().empty());
    EXPECT_EQ(context.lastProcessByVolume[volume->getId()], 20);
    // Redrawn without the overlay.
    EXPECT_NE(view.grabFramebuffer().pixel(200, 150), during);
}

TEST_F(MaskDialogTest, UnreadableFilesWarnAndKeepTheMaskRejectingCancels)
{
    QFile junk(dir.path() + "/junk.png");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("plain text");
    junk.close();

    QString topWarning, bottomWarning;
    std::vector<bool> kept;
    whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<PhotolithographyDialog *>(d);
        ASSERT_TRUE(dialog);
        applyFile(dialog->topBox(), black);
        topWarning = DialogTest::warningAfter([&] { applyFile(dialog->topBox(), junk.fileName()); });
        kept = volume->getTopMask();
        EXPECT_EQ(dialog->getTopMask().getWidth(), 10);
        EXPECT_EQ(dialog->getTopMaskFile(), black);
        bottomWarning = DialogTest::warningAfter([&] { applyFile(dialog->bottomBox(), dir.path() + "/missing.png"); });
        EXPECT_TRUE(dialog->getBottomMask().isEmpty());
        press(dialog, QDialogButtonBox::Cancel);
    });
    context.activate(20);
    EXPECT_EQ(topWarning, "Top Mask file not found!<br/>Please verify the filename is correct and you have the correct "
                          "permissions.");
    EXPECT_EQ(bottomWarning, "Bottom mask not found error!<br/>Please verify if the filename is correct and you have "
                             "the correct permissions.");
    EXPECT_EQ(kept, std::vector<bool>(100, true));
    EXPECT_EQ(log->lines.back(), "Photolithography: Operation Canceled!");
    EXPECT_EQ(count(volume, 11), 200u);
    // The rejected dialog's overlay does not stay behind.
    EXPECT_TRUE(volume->getTopMask().empty());
}

TEST_F(MaskDialogTest, PresetFromProcessListParameters)
{
    QMap<QString, QVariant> parameters;
    parameters.insert("Top Mask File", black);
    parameters.insert("Top Mask Width", 10u);
    parameters.insert("Bottom Mask File", white);
    parameters.insert("Bottom Mask Width", 0u); // no bottom mask was applied
    parameters.insert("Material_Id", 12u);
    parameters.insert("Material", "Silicon");
    PhotolithographyDialog dialog;
    dialog.preset(parameters);
    EXPECT_EQ(dialog.topBox()->fileField()->text(), black);
    EXPECT_EQ(dialog.getTopMask().getWidth(), 10);
    EXPECT_EQ(dialog.getTopMask().getBits(), std::vector<bool>(100, true));
    EXPECT_TRUE(dialog.bottomBox()->fileField()->text().isEmpty());
    EXPECT_TRUE(dialog.getBottomMask().isEmpty());
    EXPECT_EQ(dialog.getMaterial(), 12u);

    parameters.remove("Material_Id");
    parameters["Material"] = Model::Materials::MaterialFactory::instance()->getMaterial(11).name;
    PhotolithographyDialog byName;
    byName.preset(parameters);
    EXPECT_EQ(byName.getMaterial(), 11u);
}

TEST_F(MaskDialogTest, MaskedCutDialogCutsOnlyWhenAcceptedAndRemoveCutsShowsAll)
{
    // Rejected after applying: the overlay was shown, nothing is cut.
    bool shown = false;
    whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<MaskedCutOptionsDialog *>(d);
        ASSERT_TRUE(dialog);
        applyFile(dialog->maskBox(), white);
        shown = volume->getTopMask() == std::vector<bool>(100, false);
        press(dialog, QDialogButtonBox::Cancel);
    });
    context.activate(34);
    EXPECT_TRUE(shown);
    EXPECT_EQ(log->lines.back(), "Masked Cut: Operation Canceled!");
    EXPECT_EQ(cutCells(volume), 0u);
    EXPECT_TRUE(volume->getTopMask().empty());
    EXPECT_TRUE(context.history.undoName().empty());

    // Accepted with the white image: every cell hidden, nothing drawn.
    whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<MaskedCutOptionsDialog *>(d);
        ASSERT_TRUE(dialog);
        applyFile(dialog->maskBox(), white);
        press(dialog, QDialogButtonBox::Ok);
    });
    context.activate(34);
    EXPECT_EQ(log->lines.back(), "Masked Cut: Cut planes changed.");
    EXPECT_EQ(cutCells(volume), volume->getCellCount());
    EXPECT_TRUE(volume->getPainter()->getOpaqueFaces().empty());
    EXPECT_EQ(context.history.undoName(), "Masked Cut");

    // Remove Cuts has no dialog.
    context.activate(35);
    EXPECT_EQ(log->lines.back(), "Remove Cuts: Cut planes changed.");
    EXPECT_EQ(cutCells(volume), 0u);
    EXPECT_FALSE(volume->getPainter()->getOpaqueFaces().empty());
}

TEST_F(MaskDialogTest, ChooserOffersImagesAndRemembersTheFolder)
{
    MaskedCutOptionsDialog dialog;
    QString title, directory;
    QStringList filters;
    QTimer::singleShot(0, [&] {
        auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        title = chooser->windowTitle();
        filters = chooser->nameFilters();
        directory = chooser->directory().absolutePath();
        DialogTest::chooseFile(chooser, black);
    });
    QTest::mouseClick(dialog.maskBox()->chooseButton(), Qt::LeftButton);
    EXPECT_EQ(title, "Choose Mask File");
    EXPECT_EQ(filters, (QStringList{"Image Files (*.png *.jpg *.bmp)", "GDSII Layouts (*.gds *.gds2 *.gdsii)"}));
    EXPECT_EQ(directory, QDir(QDir::homePath()).absolutePath());
    // Choosing only fills the field; Apply reads it.
    EXPECT_EQ(QDir::fromNativeSeparators(dialog.maskBox()->fileField()->text()), black);
    EXPECT_TRUE(dialog.getMask().isEmpty());
    EXPECT_EQ(MaskFileBox::startDirectory(), QDir(dir.path()).absolutePath());
    QTest::mouseClick(dialog.maskBox()->applyButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.getMask().getWidth(), 10);
}
