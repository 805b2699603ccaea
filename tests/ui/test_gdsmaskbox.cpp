// A GDSII layout as the mask of the photolithography and masked cut dialogs, driven
// from their menu numbers: the layout's fields, the overlay, Enter, and the warnings.
#include "Core/BatchRun/processdata.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/BatchRun/stepeditor.h"
#include "UI/Operations/gdsmaskfields.h"
#include "UI/Operations/maskedcutoptionsdialog.h"
#include "UI/Operations/maskfilebox.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/operationfactory.h"
#include "../common/gdswriter.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace Core::Operations;
using namespace Ui::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using namespace DialogTest;

namespace {

void typeInto(QWidget *entry, const QString &text)
{
    entry->setFocus();
    QTest::keyClick(entry, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(entry, text);
}

void applyFile(MaskFileBox *box, const QString &file)
{
    box->fileField()->clear();
    QTest::keyClicks(box->fileField(), file);
    QTest::mouseClick(box->applyButton(), Qt::LeftButton);
}

// Columns i0 <= i < i1, j0 <= j < j1 of a 10 x 10 mask.
std::vector<bool> block(int i0, int j0, int i1, int j1)
{
    std::vector<bool> bits(100, false);
    for (int i = i0; i < i1; ++i)
        for (int j = j0; j < j1; ++j)
            bits[size_t(i * 10 + j)] = true;
    return bits;
}

class GdsMaskBoxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        log = std::make_shared<Log>(context.interpreter);
        context.interpreter.addMessageObserver(log);
        context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
        // Silicon in z 0..1 under positive resist in z 2..3.
        volume = std::make_shared<TotalVolume>(10, 10, 6, 1.0f, 1.0f, 1.0f, Util::Vector3D(-5, -5, -3));
        {
            Model::Automaton::VoxelLock cells(*volume);
            for (uint32_t x = 0; x < 10; ++x)
                for (uint32_t y = 0; y < 10; ++y)
                    for (uint32_t z = 0; z < 4; ++z)
                        cells[volume->index(x, y, z)].setMaterialId(z < 2 ? 1 : 11);
        }
        volume->getPainter()->regenerate();
        context.scene.add(volume);
        layout = dir.filePath(QStringLiteral("bar.gds"));
        const QString error = GdsWriter::write(layout, QStringLiteral(R"(
top = gdspy.Cell('TOP')
top.add(gdspy.Rectangle((0, 0), (2, 1), layer=1))
lib.add(top)
lib.write_gds(out)
)"));
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    }

    size_t resist() const
    {
        const std::vector<uint32_t> ids = volume->materialIds();
        return static_cast<size_t>(std::count(ids.begin(), ids.end(), 11u));
    }

    QTemporaryDir dir;
    OperationContext context;
    std::shared_ptr<Log> log;
    TotalVolumePtr volume;
    QString layout;
};

} // namespace

TEST_F(GdsMaskBoxTest, LayoutFieldsRasteriseOntoTheVolumeAndWarnKeepingTheMask)
{
    QFile junk(dir.filePath(QStringLiteral("junk.gds")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a layout");
    junk.close();

    bool hiddenForImages = false, shownForLayouts = false, stillOpen = false;
    std::vector<bool> scaled, afterLayerWarning, afterEnter;
    QString layerWarning, datatypeWarning, junkWarning;
    whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<PhotolithographyDialog *>(d);
        ASSERT_TRUE(dialog);
        MaskFileBox *box = dialog->topBox();
        GdsMaskFields *fields = box->layoutFields();
        QTest::keyClicks(box->fileField(), dir.filePath(QStringLiteral("mask.png")));
        hiddenForImages = !fields->isVisible();
        box->fileField()->clear();
        QTest::keyClicks(box->fileField(), layout);
        shownForLayouts = fields->isVisible();
        EXPECT_EQ(fields->layerBox()->value(), 1);
        EXPECT_EQ(fields->datatypeBox()->value(), -1);
        EXPECT_EQ(fields->scaleBox()->value(), 1.0);

        // (0, 0)-(2, 1) microns at 2 cells per micron, moved one cell along x.
        typeInto(fields->scaleBox(), QStringLiteral("2"));
        typeInto(fields->offsetXBox(), QStringLiteral("1"));
        QTest::mouseClick(box->applyButton(), Qt::LeftButton);
        scaled = volume->getTopMask();
        EXPECT_EQ(dialog->getTopMaskFile(), layout);

        typeInto(fields->datatypeBox(), QStringLiteral("3"));
        datatypeWarning = DialogTest::warningAfter([&] { QTest::mouseClick(box->applyButton(), Qt::LeftButton); });
        typeInto(fields->datatypeBox(), QStringLiteral("0"));
        QTest::mouseClick(box->applyButton(), Qt::LeftButton);
        EXPECT_EQ(volume->getTopMask(), scaled);
        typeInto(fields->layerBox(), QStringLiteral("5"));
        layerWarning = DialogTest::warningAfter([&] { QTest::mouseClick(box->applyButton(), Qt::LeftButton); });
        afterLayerWarning = volume->getTopMask();
        junkWarning = DialogTest::warningAfter([&] { applyFile(box, junk.fileName()); });
        EXPECT_EQ(dialog->getTopMaskFile(), layout);

        // Enter in a layout field applies instead of accepting the dialog.
        box->fileField()->clear();
        QTest::keyClicks(box->fileField(), layout);
        typeInto(fields->layerBox(), QStringLiteral("1"));
        typeInto(fields->scaleBox(), QStringLiteral("1"));
        QTest::keyClick(fields->scaleBox(), Qt::Key_Return);
        afterEnter = volume->getTopMask();
        stillOpen = dialog->isVisible();
        dialog->materialBox()->setCurrentIndex(dialog->materialBox()->findData(11u));
        press(dialog, QDialogButtonBox::Ok);
    });
    context.activate(20);

    EXPECT_TRUE(hiddenForImages);
    EXPECT_TRUE(shownForLayouts);
    EXPECT_EQ(scaled, block(1, 0, 5, 2));
    EXPECT_EQ(datatypeWarning,
              "The layout has no shapes on layer 1, datatype 3. Datatypes with shapes on that layer: 0.");
    EXPECT_EQ(layerWarning, "The layout has no shapes on layer 5. Layers with shapes: 1.");
    EXPECT_EQ(afterLayerWarning, scaled);
    EXPECT_TRUE(junkWarning.startsWith(junk.fileName() + " is not a GDSII layout (")) << junkWarning.toStdString();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(afterEnter, block(1, 0, 3, 1));
    // The opaque columns keep their two cells of resist.
    EXPECT_EQ(log->lines.back(), "Photolithography: Operation finished.");
    EXPECT_EQ(resist(), 4u);
}

TEST_F(GdsMaskBoxTest, MaskedCutRasterisesOntoTheChosenVolumesColumns)
{
    Mask shown;
    whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<MaskedCutOptionsDialog *>(d);
        ASSERT_TRUE(dialog);
        applyFile(dialog->maskBox(), layout);
        shown = dialog->getMask();
        press(dialog, QDialogButtonBox::Cancel);
    });
    context.activate(34);
    // The whole volume's columns, not just the layout's extent.
    EXPECT_EQ(shown.getWidth(), 10);
    EXPECT_EQ(shown.getHeight(), 10);
    EXPECT_EQ(shown.getBits(), block(0, 0, 2, 1));
}

TEST_F(GdsMaskBoxTest, ProcessListStepsKeepTheirBitsAndTakeNewOnesFromTheLayout)
{
    // A step made from a layout stores only the bits: opening it does not rasterise the
    // layout again with fields it never stored.
    const std::unique_ptr<Ui::StepEditor> editor = Ui::StepEditor::create(0, nullptr);
    const Ui::MaskBitmap bits = {1, 0, 0, 1, 1, 0};
    QMap<QString, QVariant> preset{{"Material_Id", 11u},
                                   {"Top Mask", QVariant::fromValue(bits)},
                                   {"Top Mask Width", 3u},
                                   {"Top Mask Height", 2u},
                                   {"Top Mask File", layout},
                                   {"Bottom Mask", QVariant::fromValue(Ui::MaskBitmap())},
                                   {"Bottom Mask Width", 0u},
                                   {"Bottom Mask Height", 0u},
                                   {"Bottom Mask File", QString()}};
    editor->preset(preset);
    Ui::ProcessData kept(0);
    editor->write(kept);
    EXPECT_EQ(kept.getProcessParameter("Top Mask").value<Ui::MaskBitmap>(), bits);
    EXPECT_EQ(kept.getProcessParameter("Top Mask Width").toUInt(), 3u);

    // Without a volume, Apply gives the columns from the origin to the layout's far corner.
    auto *dialog = qobject_cast<PhotolithographyDialog *>(editor->dialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->topBox()->layoutFields()->isVisibleTo(dialog));
    QTest::mouseClick(dialog->topBox()->applyButton(), Qt::LeftButton);
    Ui::ProcessData applied(0);
    editor->write(applied);
    EXPECT_EQ(applied.getProcessParameter("Top Mask").value<Ui::MaskBitmap>(), (Ui::MaskBitmap{1, 1}));
    EXPECT_EQ(applied.getProcessParameter("Top Mask Width").toUInt(), 2u);
    EXPECT_EQ(applied.getProcessParameter("Top Mask Height").toUInt(), 1u);
    EXPECT_EQ(applied.getProcessParameter("Top Mask File").toString(), layout);
}
