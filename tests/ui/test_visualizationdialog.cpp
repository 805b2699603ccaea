// The cell-volume visualisation options: the dialog's enabling rules and colours, and
// the operation writing options into the painter and colours into every volume.
#include "Core/Operations/Visualization/changetotalvolumevisualizationoptions.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/totalvolumepainter.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/changevolumevisualizationdialog.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGraphicsView>
#include <QLabel>
#include <QTabWidget>

using Core::Operations::VisualizationOptions;
using Model::Automaton::ColorScaleType;
using Model::Automaton::SurfaceMode;
using Ui::Operations::ChangeVolumeVisualizationDialog;

namespace {

Model::Automaton::TotalVolumePtr block(uint32_t material)
{
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(4, 4, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    {
        const Model::Automaton::VoxelLock lock(*volume);
        Model::Automaton::Voxel *cells = lock.voxels();
        for (uint32_t i = 0; i < 64; ++i)
            cells[i].setMaterialId(material);
    }
    volume->getPainter()->regenerate();
    return volume;
}

} // namespace

TEST(VisualizationDialog, EnablingRulesTabsAndSwatch)
{
    VisualizationOptions current;
    current.renderAtoms = true;
    current.renderSurfaceAtomsOnly = true;
    current.mode = SurfaceMode::MarchingCubes;
    current.colourScale = ColorScaleType::YellowToBlue;
    ChangeVolumeVisualizationDialog dialog(nullptr, current);
    EXPECT_EQ(dialog.windowTitle(), "Change Volume Visualization Options");
    ASSERT_EQ(dialog.tabs()->count(), 3);
    EXPECT_EQ(dialog.tabs()->tabText(0), "Si Visualization");
    EXPECT_EQ(dialog.tabs()->currentIndex(), 0);
    EXPECT_EQ(dialog.algorithmBox()->currentText(), "Marching Cubes");

    // The field view's controls follow the algorithm.
    for (int mode = 0; mode < 4; ++mode) {
        dialog.algorithmBox()->setCurrentIndex(mode);
        EXPECT_EQ(dialog.distributionBox()->isEnabled(), mode == 3) << mode;
        EXPECT_EQ(dialog.colourScaleBox()->isEnabled(), mode == 3) << mode;
    }
    // Unchecking the atoms disables "surface atoms only" but keeps and passes its state.
    dialog.atomsBox()->setChecked(false);
    EXPECT_FALSE(dialog.surfaceAtomsOnlyBox()->isEnabled());
    const VisualizationOptions chosen = dialog.options();
    EXPECT_FALSE(chosen.renderAtoms);
    EXPECT_TRUE(chosen.renderSurfaceAtomsOnly);
    EXPECT_EQ(chosen.mode, SurfaceMode::FieldView);
    EXPECT_EQ(chosen.colourScale, ColorScaleType::YellowToBlue);

    // Every choice comes back from the lists as it went in, and each list entry is the
    // choice of its number.
    for (size_t i = 0; i < 4; ++i) {
        VisualizationOptions o;
        o.mode = Model::Automaton::surfaceModes[i];
        o.distribution = Model::Automaton::fieldDistributions[i % 3];
        o.colourScale = Model::Automaton::colorScaleTypes[(i + 1) % 3];
        ChangeVolumeVisualizationDialog d(nullptr, o);
        EXPECT_EQ(d.algorithmBox()->currentIndex(), static_cast<int>(i));
        EXPECT_EQ(d.distributionBox()->currentIndex(), static_cast<int>(i % 3));
        EXPECT_EQ(d.colourScaleBox()->currentIndex(), static_cast<int>((i + 1) % 3));
        const VisualizationOptions back = d.options();
        EXPECT_TRUE(back.mode == o.mode && back.distribution == o.distribution && back.colourScale == o.colourScale) << i;
    }

    EXPECT_EQ(ChangeVolumeVisualizationDialog::swatchStyle({1.0f, 0.5f, 0.0f, 1.0f}), "background-color : #ff7f00");
    const uint32_t id = dialog.filmBox()->currentData().toUInt();
    const auto &c = dialog.colours().at(id);
    EXPECT_EQ(dialog.swatchView()->styleSheet(), ChangeVolumeVisualizationDialog::swatchStyle(c));
}

// Accepting a new colour recolours that material in every volume, and the options reach
// the chosen volume's painter only.
TEST(VisualizationDialog, OperationWritesOptionsAndRecoloursEveryVolume)
{
    Core::Operations::OperationContext context;
    context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
    auto log = std::make_shared<DialogTest::Log>(context.interpreter);
    context.interpreter.addMessageObserver(log);
    const auto materials = Model::Materials::MaterialFactory::instance();
    const uint32_t material = 5; // copper
    const Model::Materials::Material before = materials->getMaterial(material);
    const auto chosen = block(material);
    const auto other = block(material);
    context.scene.add(chosen);
    context.scene.add(other);
    context.setObjectSelected(chosen, true);

    DialogTest::whenDialogOpens([&](QDialog *d) {
        auto *dialog = qobject_cast<ChangeVolumeVisualizationDialog *>(d);
        ASSERT_NE(dialog, nullptr);
        dialog->filmBox()->setCurrentIndex(dialog->filmBox()->findData(material));
        DialogTest::whenDialogOpens([](QDialog *chooser) {
            EXPECT_EQ(chooser->windowTitle(), "Select new film color");
            qobject_cast<QColorDialog *>(chooser)->setCurrentColor(QColor(0, 255, 0));
            chooser->accept();
        });
        dialog->changeColourButton()->click();
        EXPECT_EQ(dialog->swatchView()->styleSheet(), "background-color : #00ff00");
        dialog->emptyOutlinesBox()->setChecked(true);
        dialog->accept();
    });
    context.activate(6);

    EXPECT_EQ(log->lines.back(), "Change Visualization: Options changed.");
    EXPECT_TRUE(chosen->getPainter()->getEmptyVoxelOutlines());
    EXPECT_FALSE(other->getPainter()->getEmptyVoxelOutlines());
    for (const auto &volume : {chosen, other}) {
        ASSERT_FALSE(volume->getPainter()->getOpaqueFaces().empty());
        const float *colour = volume->getPainter()->getOpaqueFaces().front().getColor();
        EXPECT_FLOAT_EQ(colour[0], 0.0f);
        EXPECT_FLOAT_EQ(colour[1], 1.0f);
    }
    EXPECT_FLOAT_EQ(materials->getMaterial(material).color[1], 1.0f);
    materials->setMaterial(before);

    // A rejected dialog changes nothing and cancels.
    context.setObjectSelected(chosen, true);
    DialogTest::whenDialogOpens([](QDialog *d) { d->reject(); });
    context.activate(6);
    EXPECT_EQ(log->lines.back(), "Change Visualization: Operation Canceled!");
    EXPECT_TRUE(chosen->getPainter()->getEmptyVoxelOutlines());
}
