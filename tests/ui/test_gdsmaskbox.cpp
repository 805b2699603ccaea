// A GDSII layout as the mask of the photolithography and masked cut dialogs, driven
// from their menu numbers: the layout's fields, the overlay, Enter, and the warnings.
#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistfile.h"
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
#include <map>

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
    const Core::BatchRun::MaskBitmap bits = {1, 0, 0, 1, 1, 0};
    QMap<QString, QVariant> preset{{"Material_Id", 11u},
                                   {"Top Mask", QVariant::fromValue(bits)},
                                   {"Top Mask Width", 3u},
                                   {"Top Mask Height", 2u},
                                   {"Top Mask File", layout},
                                   {"Bottom Mask", QVariant::fromValue(Core::BatchRun::MaskBitmap())},
                                   {"Bottom Mask Width", 0u},
                                   {"Bottom Mask Height", 0u},
                                   {"Bottom Mask File", QString()}};
    editor->preset(preset);
    Core::BatchRun::ProcessData kept(0);
    editor->write(kept);
    EXPECT_EQ(kept.getProcessParameter("Top Mask").value<Core::BatchRun::MaskBitmap>(), bits);
    EXPECT_EQ(kept.getProcessParameter("Top Mask Width").toUInt(), 3u);

    // Without a volume, Apply gives the columns from the origin to the layout's far corner.
    auto *dialog = qobject_cast<PhotolithographyDialog *>(editor->dialog());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->topBox()->layoutFields()->isVisibleTo(dialog));
    QTest::mouseClick(dialog->topBox()->applyButton(), Qt::LeftButton);
    Core::BatchRun::ProcessData applied(0);
    editor->write(applied);
    EXPECT_EQ(applied.getProcessParameter("Top Mask").value<Core::BatchRun::MaskBitmap>(), (Core::BatchRun::MaskBitmap{1, 1}));
    EXPECT_EQ(applied.getProcessParameter("Top Mask Width").toUInt(), 2u);
    EXPECT_EQ(applied.getProcessParameter("Top Mask Height").toUInt(), 1u);
    EXPECT_EQ(applied.getProcessParameter("Top Mask File").toString(), layout);
}

TEST_F(GdsMaskBoxTest, ProcessListStepsNameTheLayoutWithItsPlacement)
{
    const std::unique_ptr<Ui::StepEditor> editor = Ui::StepEditor::create(0, nullptr);
    auto *dialog = qobject_cast<PhotolithographyDialog *>(editor->dialog());
    ASSERT_NE(dialog, nullptr);
    GdsMaskFields *fields = dialog->topBox()->layoutFields();
    // The datatype sits beside the layer and draws every datatype until one is chosen.
    EXPECT_EQ(fields->datatypeBox()->value(), -1);
    EXPECT_EQ(fields->datatypeBox()->minimum(), -1);
    QTest::keyClicks(dialog->topBox()->fileField(), layout);
    typeInto(fields->datatypeBox(), QStringLiteral("0"));
    typeInto(fields->offsetXBox(), QStringLiteral("3"));
    QTest::mouseClick(dialog->topBox()->applyButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->topBox()->getMaskFile(), layout);

    Core::BatchRun::ProcessData step(0);
    editor->write(step);
    const std::map<QString, std::pair<QString, QString>> expected = {
        {"Top Mask Layout", {"QString", layout}}, {"Top Mask Layer", {"int", "1"}},
        {"Top Mask Datatype", {"int", "0"}},      {"Top Mask Top Cell", {"QString", ""}},
        {"Top Mask Scale", {"double", "1"}},      {"Top Mask Offset X", {"double", "3"}},
        {"Top Mask Offset Y", {"double", "0"}}};
    for (const auto &e : expected) {
        const QVariant value = step.getProcessParameter(e.first);
        EXPECT_EQ(Core::BatchRun::ProcessListFile::typeText(value), e.second.first) << e.first.toStdString();
        EXPECT_EQ(Core::BatchRun::ProcessListFile::dataText(value), e.second.second) << e.first.toStdString();
        EXPECT_TRUE(step.getParameterVisibility(e.first)) << e.first.toStdString();
    }
    // The bits stay for readers without layouts; the bottom names no layout.
    EXPECT_NE(step.getProcessParameter("Top Mask Width").toUInt(), 0u);
    EXPECT_EQ(step.getProcessParameter("Top Mask File").toString(), layout);
    EXPECT_FALSE(step.hasParameter("Bottom Mask Layout"));

    // Through a list file and back, then opened again: the box shows the step's
    // placement without reading the layout, and the step keeps its layout and bits.
    const QString listFile = dir.filePath(QStringLiteral("layout.plst"));
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::save(listFile, {step}));
    Core::BatchRun::ProcessList loaded;
    ASSERT_TRUE(Core::BatchRun::ProcessListFile::load(listFile, loaded));
    ASSERT_EQ(loaded.size(), 1u);
    QMap<QString, QVariant> stored = loaded[0].getParameters();
    EXPECT_EQ(stored.value("Top Mask Offset X").toDouble(), 3.0);
    stored["Top Mask Datatype"] = 2;
    stored["Top Mask Offset Y"] = 4.5;
    const std::unique_ptr<Ui::StepEditor> reopened = Ui::StepEditor::create(0, nullptr);
    reopened->preset(stored);
    auto *again = qobject_cast<PhotolithographyDialog *>(reopened->dialog());
    ASSERT_NE(again, nullptr);
    GdsMaskFields *shown = again->topBox()->layoutFields();
    EXPECT_EQ(again->topBox()->fileField()->text(), layout);
    EXPECT_TRUE(again->topBox()->getMaskFile().isEmpty());
    EXPECT_EQ(shown->layerBox()->value(), 1);
    EXPECT_EQ(shown->datatypeBox()->value(), 2);
    EXPECT_DOUBLE_EQ(shown->offsetXBox()->value(), 3.0);
    EXPECT_DOUBLE_EQ(shown->offsetYBox()->value(), 4.5);
    Core::BatchRun::ProcessData kept(0);
    reopened->write(kept);
    EXPECT_EQ(kept.getProcessParameter("Top Mask Layout").toString(), layout);
    EXPECT_EQ(kept.getProcessParameter("Top Mask Datatype").toInt(), 2);
    EXPECT_EQ(kept.getProcessParameter("Top Mask Offset Y").toDouble(), 4.5);
    EXPECT_EQ(kept.getProcessParameter("Top Mask").value<Core::BatchRun::MaskBitmap>(),
              step.getProcessParameter("Top Mask").value<Core::BatchRun::MaskBitmap>());

    // Removing the mask removes the layout from the step.
    QTest::mouseClick(again->topBox()->removeButton(), Qt::LeftButton);
    Core::BatchRun::ProcessData removed(0);
    reopened->write(removed);
    EXPECT_FALSE(removed.hasParameter("Top Mask Layout"));
    EXPECT_EQ(removed.getProcessParameter("Top Mask Width").toUInt(), 0u);
}
