#include "Core/Operations/operationcontext.h"
#include "Core/Processes/describedprocessoperation.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/simpleriedialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Core::Operations;
using namespace Ui::Operations;
using Model::Automaton::TotalVolume;

using namespace DialogTest;

namespace {

// Clicks a check box on its indicator, as a user would.
void tick(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(box->style()->pixelMetric(QStyle::PM_IndicatorWidth) / 2 + 1, box->height() / 2));
}

void expectEveryMaterial(QComboBox *combo)
{
    const auto materials = Model::Materials::MaterialFactory::instance()->getMaterials();
    ASSERT_EQ(combo->count(), static_cast<int>(materials.size()));
    for (int i = 0; i < combo->count(); ++i) {
        EXPECT_EQ(combo->itemData(i).toUInt(), materials[static_cast<size_t>(i)].id);
        EXPECT_EQ(combo->itemText(i), materials[static_cast<size_t>(i)].name);
        EXPECT_FALSE(combo->itemIcon(i).isNull());
    }
}

void expectHeight(QSpinBox *box, const char *label, int maximum, int value = 0)
{
    EXPECT_EQ(labelOf(box), label);
    EXPECT_EQ(box->minimum(), 0);
    EXPECT_EQ(box->maximum(), maximum);
    EXPECT_EQ(box->value(), value);
    EXPECT_EQ(box->suffix(), " cells");
}

} // namespace

TEST(ColumnProcessDialogs, FieldsRangesHelpAndPresets)
{
    SimpleRIEDialog rie;
    rie.show();
    EXPECT_EQ(rie.windowTitle(), "Simple RIE Options");
    EXPECT_EQ(rie.minimumSize(), QSize(400, 280));
    EXPECT_EQ(rie.maximumSize(), QSize(400, 280));
    EXPECT_EQ(labelOf(rie.depthBox()), "Etch Depth");
    EXPECT_EQ(rie.depthBox()->minimum(), 1);
    EXPECT_EQ(rie.depthBox()->maximum(), 999999999);
    EXPECT_EQ(rie.depthBox()->value(), 1);
    EXPECT_EQ(rie.depthBox()->suffix(), " units");
    EXPECT_EQ(labelOf(rie.materialBox()), "Select Material");
    expectEveryMaterial(rie.materialBox());
    EXPECT_EQ(rie.fromTopBox()->text(), "Etch from top");
    EXPECT_EQ(rie.fromBelowBox()->text(), "Etch from below");
    EXPECT_TRUE(rie.fromTopBox()->isChecked());
    EXPECT_FALSE(rie.fromBelowBox()->isChecked());
    EXPECT_EQ(rie.getDirections(), Core::Operations::EtchDirections::FromTop);
    tick(rie.fromBelowBox());
    EXPECT_EQ(rie.getDirections(), Core::Operations::EtchDirections::Both);
    tick(rie.fromTopBox());
    EXPECT_EQ(rie.getDirections(), Core::Operations::EtchDirections::FromBelow);

    // Directions from a process list: 0 clears "from top", 1 sets it, 2 swaps to below,
    // 3 adds below and leaves "from top" as it was.
    const auto directions = [](std::vector<uint32_t> values) {
        SimpleRIEDialog d;
        for (uint32_t v : values)
            d.preset({{"EtchDirectionValue", v}});
        return static_cast<int>(d.getDirections());
    };
    EXPECT_EQ(directions({0}), 0);
    EXPECT_EQ(directions({1}), 1);
    EXPECT_EQ(directions({2}), 2);
    EXPECT_EQ(directions({3}), 3);
    EXPECT_EQ(directions({0, 3}), 2);
    EXPECT_EQ(directions({2, 1}), 3);
    EXPECT_EQ(directions({2, 7}), 2); // a number that names no choice changes nothing
    SimpleRIEDialog presetRie;
    presetRie.preset({{"Etch Depth", 7u}, {"Material", QString("Thermal Si02")}});
    EXPECT_EQ(presetRie.getDepth(), 7);
    EXPECT_EQ(presetRie.materialBox()->currentText(), "Thermal Si02");
    presetRie.preset({{"Material_Id", 5u}, {"Material", QString("Thermal Si02")}});
    EXPECT_EQ(presetRie.getMaterial(), 5u);

    SpinCoatingOptionsDialog spin(40);
    EXPECT_EQ(spin.windowTitle(), "Pour Material Options");
    EXPECT_EQ(labelOf(spin.materialBox()), "Material");
    expectEveryMaterial(spin.materialBox());
    expectHeight(spin.heightBox(), "Deposition Height", 40);
    spin.preset({{"Maximum Height", 25u}, {"Material_Id", 4u}});
    EXPECT_EQ(spin.getHeight(), 25);
    EXPECT_EQ(spin.getMaterial(), 4u);
    spin.preset({{"Maximum Height", 90u}});
    EXPECT_EQ(spin.getHeight(), 40);
    EXPECT_EQ(SpinCoatingOptionsDialog(0).heightBox()->maximum(), 0);
    EXPECT_FALSE(spin.topLabel());
    // With the material's top known the height starts one cell above it, within the volume.
    const auto start = [](uint32_t top) {
        SpinCoatingOptionsDialog d(40, top);
        return std::make_pair(d.getHeight(), d.topLabel()->text());
    };
    EXPECT_EQ(start(37), std::make_pair(38, QString("Top of the material: 37 cells")));
    EXPECT_EQ(start(1), std::make_pair(2, QString("Top of the material: 1 cell")));
    EXPECT_EQ(start(0), std::make_pair(1, QString("Top of the material: none, the volume is empty")));
    EXPECT_EQ(start(39).first, 40);
    EXPECT_EQ(start(40).first, 40);

    PlanarizationOptionsDialog plan(40);
    EXPECT_EQ(plan.windowTitle(), "Planarization Options");
    // The maximum starts at the volume's height: the defaults remove nothing.
    expectHeight(plan.minimumBox(), "Minimum Height", 40);
    expectHeight(plan.maximumBox(), "Maximum Height", 999999999, 40);
    EXPECT_EQ(plan.minimumBox()->whatsThis(), "All cells below this height will be removed.");
    EXPECT_EQ(plan.maximumBox()->whatsThis(), "All cells above this height will be removed.");
    type(plan.minimumBox(), "30");
    type(plan.maximumBox(), "12");
    QTest::keyClick(plan.maximumBox(), Qt::Key_Return);
    EXPECT_EQ(plan.minimumBox()->maximum(), 12);
    EXPECT_EQ(plan.getMinimumHeight(), 12);
    plan.preset({{"Maximum Height", 50u}, {"Minimum Height", 20u}});
    EXPECT_EQ(plan.getMaximumHeight(), 50);
    EXPECT_EQ(plan.getMinimumHeight(), 20);
    EXPECT_EQ(plan.minimumBox()->maximum(), 50);
}

TEST(ColumnProcessDialogs, MenuNumbersRunTheirDialogs)
{
    struct Case
    {
        int number;
        const char *name;
        const char *canceled;
        std::function<void(QDialog *)> fill;
        std::function<void(const OperationPtr &)> check;
    };
    const std::vector<Case> cases = {
        {30, "Simple RIE", ": Operation canceled.",
         [](QDialog *d) {
             auto *dialog = qobject_cast<SimpleRIEDialog *>(d);
             ASSERT_TRUE(dialog);
             type(dialog->depthBox(), "2");
             choose(dialog->materialBox(), 1);
             tick(dialog->fromBelowBox());
         },
         [](const OperationPtr &op) {
             auto rie = std::dynamic_pointer_cast<Core::Processes::DescribedProcessOperation>(op);
             ASSERT_TRUE(rie);
             EXPECT_EQ(rie->getParameters().count("Etch Depth"), 2u);
             EXPECT_EQ(rie->getParameters().material("Material"), 1u);
             EXPECT_EQ(rie->getParameters().count("EtchDirectionValue"), 3u);
         }},
        {23, "Spin Coating", ": Operation canceled.",
         [](QDialog *d) {
             auto *dialog = qobject_cast<SpinCoatingOptionsDialog *>(d);
             ASSERT_TRUE(dialog);
             EXPECT_EQ(dialog->heightBox()->maximum(), 10); // the volume's height
             type(dialog->heightBox(), "6");
             choose(dialog->materialBox(), 4);
         },
         [](const OperationPtr &op) {
             auto spin = std::dynamic_pointer_cast<Core::Processes::DescribedProcessOperation>(op);
             ASSERT_TRUE(spin);
             EXPECT_EQ(spin->getParameters().count("Maximum Height"), 6u);
             EXPECT_EQ(spin->getParameters().material("Material"), 4u);
         }},
        {22, "Planarization", ": Operation canceled!",
         [](QDialog *d) {
             auto *dialog = qobject_cast<PlanarizationOptionsDialog *>(d);
             ASSERT_TRUE(dialog);
             type(dialog->maximumBox(), "7");
             type(dialog->minimumBox(), "1");
         },
         [](const OperationPtr &op) {
             auto plan = std::dynamic_pointer_cast<Core::Processes::DescribedProcessOperation>(op);
             ASSERT_TRUE(plan);
             EXPECT_EQ(plan->getParameters().count("Maximum Height"), 7u);
             EXPECT_EQ(plan->getParameters().count("Minimum Height"), 1u);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OperationContext context;
        context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
        auto log = std::make_shared<Log>(context.interpreter);
        context.interpreter.addMessageObserver(log);
        auto volume = std::make_shared<TotalVolume>(6, 5, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D());
        {
            Model::Automaton::VoxelLock cells(*volume);
            for (size_t i = 0; i < volume->getCellCount(); ++i)
                cells[i].setMaterialId(i % 10 < 5 ? 1 : 0);
        }
        context.scene.add(volume);
        const std::vector<uint32_t> before = volume->materialIds();

        whenDialogOpens([](QDialog *d) { press(d, QDialogButtonBox::Cancel); });
        context.activate(c.number);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[1], std::string(c.name) + c.canceled);
        EXPECT_EQ(volume->materialIds(), before);

        OperationPtr made = context.getFactory()->create(c.number);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->getName(), c.name);
        EXPECT_EQ(made->getTypeId(), c.number);
        EXPECT_TRUE(std::dynamic_pointer_cast<ObjectOperation>(made));
        OperationPtr running;
        whenDialogOpens([&c, &context, &running](QDialog *d) {
            running = context.getCurrentOperation();
            c.fill(d);
            press(d, QDialogButtonBox::Ok);
        });
        context.activate(c.number);
        c.check(running);
        ASSERT_EQ(log->lines.size(), 4u);
        EXPECT_EQ(log->lines[3], std::string(c.name) + ": Operation finished.");
        EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), c.number);
        EXPECT_NE(volume->materialIds(), before);
    }
}

TEST(ColumnProcessDialogs, PourStartsAboveTheMaterialAndStepsThatChangeNothingSaySo)
{
    OperationContext context;
    context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
    auto log = std::make_shared<Log>(context.interpreter);
    context.interpreter.addMessageObserver(log);
    // Silicon up to z = 4 everywhere and one cell higher up, at z = 6: the top is 7 cells.
    auto volume = std::make_shared<TotalVolume>(6, 5, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    {
        Model::Automaton::VoxelLock cells(*volume);
        for (size_t i = 0; i < volume->getCellCount(); ++i)
            cells[i].setMaterialId(i % 10 < 5 ? 1 : 0);
        cells[volume->index(2, 3, 6)].setMaterialId(1);
    }
    context.scene.add(volume);
    const auto cell = [&](uint32_t x, uint32_t y, uint32_t z) { return volume->materialIds()[volume->index(x, y, z)]; };

    // OK on the offered height pours one layer over the top.
    whenDialogOpens([](QDialog *d) {
        auto *dialog = qobject_cast<SpinCoatingOptionsDialog *>(d);
        ASSERT_TRUE(dialog);
        ASSERT_TRUE(dialog->topLabel());
        EXPECT_EQ(dialog->topLabel()->text(), "Top of the material: 7 cells");
        EXPECT_EQ(dialog->heightBox()->value(), 8);
        choose(dialog->materialBox(), 4);
        press(d, QDialogButtonBox::Ok);
    });
    context.activate(23);
    EXPECT_EQ(log->lines.back(), "Spin Coating: Operation finished.");
    EXPECT_EQ(context.history.undoCount(), 1u);
    EXPECT_EQ(cell(0, 0, 7), 4u);
    EXPECT_EQ(cell(0, 0, 8), 0u);
    EXPECT_EQ(cell(2, 3, 6), 1u);

    // A pour up to the top fills nothing: it says so and adds no undo entry.
    const std::vector<uint32_t> poured = volume->materialIds();
    whenDialogOpens([](QDialog *d) {
        auto *dialog = qobject_cast<SpinCoatingOptionsDialog *>(d);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->topLabel()->text(), "Top of the material: 8 cells");
        EXPECT_EQ(dialog->heightBox()->value(), 9);
        type(dialog->heightBox(), "8");
        choose(dialog->materialBox(), 4);
        press(d, QDialogButtonBox::Ok);
    });
    context.activate(23);
    EXPECT_EQ(log->lines.back(), "Spin Coating: no cell changed.");
    EXPECT_EQ(context.history.undoCount(), 1u);
    EXPECT_EQ(context.history.undoName(), "Spin Coating");
    EXPECT_EQ(volume->materialIds(), poured);

    // Planarization's defaults keep the whole height: OK leaves every cell.
    whenDialogOpens([](QDialog *d) {
        auto *dialog = qobject_cast<PlanarizationOptionsDialog *>(d);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->getMaximumHeight(), 10);
        EXPECT_EQ(dialog->getMinimumHeight(), 0);
        press(d, QDialogButtonBox::Ok);
    });
    context.activate(22);
    EXPECT_EQ(log->lines.back(), "Planarization: no cell changed.");
    EXPECT_EQ(context.history.undoCount(), 1u);
    EXPECT_EQ(volume->materialIds(), poured);
    // The pour is still the step Undo takes back.
    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(cell(0, 0, 7), 0u);
}
