#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Materials/materialfactory.h"
#include "UI/Operations/dopingoptionsdialog.h"
#include "UI/Operations/ionimplantationoptionsdialog.h"
#include "UI/Operations/simpleoxidationoptionsdialog.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Core::Operations;
using namespace Ui::Operations;
using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;
using Core::BatchRun::ProcessData;

using namespace DialogTest;

namespace {

void expectBox(QDoubleSpinBox *box, double minimum, double maximum, double value, const char *suffix)
{
    EXPECT_EQ(box->minimum(), minimum);
    EXPECT_EQ(box->maximum(), maximum);
    EXPECT_EQ(box->value(), value);
    EXPECT_EQ(box->suffix(), suffix);
}

// Silicon with a trench and an aluminium block on it.
TotalVolumePtr scene()
{
    auto volume = std::make_shared<TotalVolume>(12, 7, 14, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    Model::Automaton::VoxelLock cells(*volume);
    for (uint32_t x = 0; x < 12; ++x)
        for (uint32_t y = 0; y < 7; ++y)
            for (uint32_t z = 0; z < 14; ++z) {
                uint32_t m = 0;
                if (z < 8 && !(x >= 4 && x <= 6 && z >= 5))
                    m = 1;
                else if (z < 10 && x >= 8 && y >= 2 && y <= 4)
                    m = 4;
                cells[volume->index(x, y, z)].setMaterialId(m);
            }
    return volume;
}

} // namespace

TEST(DopingDialogs, FieldsRangesDefaultsAndDopants)
{
    // Both doping processes list Si, the two doped silicons and Poly-Si; Si and Poly-Si
    // are not dopants.
    const std::vector<quint32> dopants = {14, 15};
    {
        DopingOptionsDialog d;
        EXPECT_EQ(d.windowTitle(), "Simple Doping Options");
        EXPECT_EQ(labelOf(d.depthBox()), "Doping Depth");
        EXPECT_EQ(d.depthBox()->decimals(), 4);
        expectBox(d.depthBox(), 0.0, 1e9, 10.0, " units");
        EXPECT_EQ(labelOf(d.materialBox()), "Doped Material");
        EXPECT_EQ(ids(d.materialBox()), dopants);
        EXPECT_EQ(d.materialBox()->itemText(0), "N-doped Si (100)");
        EXPECT_EQ(d.materialBox()->itemIcon(0).pixmap(100, 100).size(), QSize(100, 100));
    }
    {
        IonImplantationOptionsDialog d;
        EXPECT_EQ(d.windowTitle(), "Ion Implantation Options");
        EXPECT_EQ(labelOf(d.depthBox()), "Implantation Depth");
        EXPECT_EQ(labelOf(d.spreadBox()), "Vertical Spread");
        EXPECT_EQ(labelOf(d.annealingBox()), "Annealing Distance");
        for (QDoubleSpinBox *box : {d.depthBox(), d.spreadBox(), d.annealingBox()})
            EXPECT_EQ(box->decimals(), 2);
        expectBox(d.depthBox(), 0.0, 1e9, 50.0, " units");
        expectBox(d.spreadBox(), 0.0, 1e9, 20.0, " units");
        expectBox(d.annealingBox(), 0.0, 1e9, 10.0, " units");
        EXPECT_EQ(labelOf(d.materialBox()), "Doped Material");
        EXPECT_EQ(ids(d.materialBox()), dopants);
    }
    {
        SimpleOxidationOptionsDialog d;
        EXPECT_EQ(d.windowTitle(), "Si Oxidation Options");
        EXPECT_EQ(d.thicknessChoice()->text(), "Oxide thickness");
        EXPECT_EQ(d.timeChoice()->text(), "Oxidation Time");
        EXPECT_EQ(labelOf(d.timeBox()), "Time");
        EXPECT_EQ(labelOf(d.temperatureBox()), "Temperature");
        EXPECT_EQ(labelOf(d.pressureBox()), "Pressure");
        EXPECT_EQ(labelOf(d.conversionBox()), "Cell units per micron");
        expectBox(d.thicknessBox(), 0.0, 100000.0, 10.0, " microns");
        expectBox(d.timeBox(), 0.0, 1000.0, 2.0, " hours");
        expectBox(d.temperatureBox(), 0.0, 2000.0, 1273.0, " K");
        expectBox(d.pressureBox(), 0.0, 1.0, 1.0, " atm");
        EXPECT_EQ(d.pressureBox()->singleStep(), 0.1);
        expectBox(d.conversionBox(), 0.01, 1e9, 100.0, "");
        EXPECT_EQ(d.conversionBox()->singleStep(), 1.0);
        EXPECT_EQ(d.conversionBox()->toolTip(),
                  "Conversion between cell units and microns. Si cells are approximately 1.0 x 1.0 x 0.35 units.");

        // The thickness is chosen first; each choice enables its own fields.
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_TRUE(d.thicknessChoice()->isChecked());
        EXPECT_TRUE(d.thicknessBox()->isEnabled());
        for (QWidget *w : {d.timeBox(), d.temperatureBox(), d.pressureBox()})
            EXPECT_FALSE(w->isEnabled());
        click(d.timeChoice());
        EXPECT_TRUE(d.isTimeSet());
        EXPECT_FALSE(d.thicknessChoice()->isChecked());
        EXPECT_FALSE(d.thicknessBox()->isEnabled());
        for (QWidget *w : {d.timeBox(), d.temperatureBox(), d.pressureBox()})
            EXPECT_TRUE(w->isEnabled());
        EXPECT_TRUE(d.conversionBox()->isEnabled());
        click(d.thicknessChoice());
        EXPECT_TRUE(d.thicknessBox()->isEnabled());
        EXPECT_FALSE(d.pressureBox()->isEnabled());
        // Typed values are kept within range.
        type(d.pressureBox(), "3");
        EXPECT_LE(d.pressureBox()->value(), 1.0);
    }
}

TEST(DopingDialogs, PresetFromProcessListParameters)
{
    DopingOptionsDialog doping;
    doping.preset({{"Doping Depth", 3.25}, {"Doped Material_Id", 15u}});
    EXPECT_EQ(doping.getDepth(), 3.25f);
    EXPECT_EQ(doping.getMaterial(), 15u);
    doping.preset({{"Doped Material", QString("N-doped Si (100)")}});
    EXPECT_EQ(doping.getMaterial(), 14u);
    doping.preset({{"Deposited Material_Id", 15u}, {"Doped Material_Id", 14u}});
    EXPECT_EQ(doping.getMaterial(), 15u);
    doping.preset({{"Doped Material_Id", 1u}}); // Si is no dopant: unchanged
    EXPECT_EQ(doping.getMaterial(), 15u);

    IonImplantationOptionsDialog ion;
    ion.preset({{"Implantation Depth", 30.0}, {"Vertical Spread", 5.5}, {"Annealing Distance", 2.0}, {"Doped Material_Id", 15u}});
    EXPECT_EQ(ion.getImplantationDepth(), 30.0f);
    EXPECT_EQ(ion.getVerticalSpread(), 5.5f);
    EXPECT_EQ(ion.getAnnealingDistance(), 2.0f);
    EXPECT_EQ(ion.getMaterial(), 15u);

    SimpleOxidationOptionsDialog oxidation;
    oxidation.preset({{"OxidationTimeSet", true}, {"Oxidation Time", 1.5}, {"Oxidation Temperature", 1373.0},
                      {"Oxidation Pressure", 0.5}, {"Micron Conversion", 20.0}});
    EXPECT_TRUE(oxidation.isTimeSet());
    EXPECT_TRUE(oxidation.timeBox()->isEnabled());
    EXPECT_FALSE(oxidation.thicknessBox()->isEnabled());
    EXPECT_EQ(oxidation.timeBox()->value(), 1.5);
    EXPECT_EQ(oxidation.temperatureBox()->value(), 1373.0);
    EXPECT_EQ(oxidation.pressureBox()->value(), 0.5);
    EXPECT_EQ(oxidation.conversionBox()->value(), 20.0);
    oxidation.preset({{"OxidationTimeSet", false}, {"Oxidation Thickness", 0.25}});
    EXPECT_FALSE(oxidation.isTimeSet());
    EXPECT_EQ(oxidation.thicknessBox()->value(), 0.25);
    EXPECT_TRUE(oxidation.thicknessBox()->isEnabled());
}

TEST(DopingDialogs, EachMenuNumberThroughItsDialogMatchesTheBatchStep)
{
    struct MenuCase
    {
        int number;
        const char *name;
        bool undoable;
        std::function<void(QDialog *)> fill;
        ProcessData step;
    };
    const std::vector<MenuCase> cases = {
        {17, "Doping", true,
         [](QDialog *d) {
             auto *dialog = qobject_cast<DopingOptionsDialog *>(d);
             ASSERT_TRUE(dialog);
             type(dialog->depthBox(), "2.5");
             choose(dialog->materialBox(), 15);
         },
         step(8, {{"Doping Depth", 2.5f}, {"Doped Material_Id", 15u}})},
        {3, "Ion Implantation", true,
         [](QDialog *d) {
             auto *dialog = qobject_cast<IonImplantationOptionsDialog *>(d);
             ASSERT_TRUE(dialog);
             type(dialog->depthBox(), "4");
             type(dialog->spreadBox(), "1");
             type(dialog->annealingBox(), "1.5");
             choose(dialog->materialBox(), 14);
         },
         step(14, {{"Annealing Distance", 1.5f}, {"Implantation Depth", 4.0f}, {"Doped Material_Id", 14u}, {"Vertical Spread", 1.0f}})},
        {26, "Simple Si Oxidation", true,
         [](QDialog *d) {
             auto *dialog = qobject_cast<SimpleOxidationOptionsDialog *>(d);
             ASSERT_TRUE(dialog);
             click(dialog->timeChoice());
             ASSERT_TRUE(dialog->timeBox()->isEnabled());
             type(dialog->timeBox(), "3");
             type(dialog->temperatureBox(), "1373");
             type(dialog->conversionBox(), "10");
         },
         step(15, {{"OxidationTimeSet", true}, {"Micron Conversion", 10.0}, {"Oxidation Pressure", 1.0},
                   {"Oxidation Temperature", 1373.0}, {"Oxidation Time", 3.0}})},
    };
    for (const MenuCase &c : cases) {
        SCOPED_TRACE(c.name);
        OperationContext context;
        context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
        auto log = std::make_shared<Log>(context.interpreter);
        context.interpreter.addMessageObserver(log);
        OperationPtr made = context.getFactory()->create(c.number);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->getName(), c.name);
        EXPECT_EQ(made->getTypeId(), c.number);
        EXPECT_EQ(bool(std::dynamic_pointer_cast<ObjectOperation>(made)), c.undoable);

        auto volume = scene();
        context.scene.add(volume);
        const std::vector<uint32_t> before = volume->materialIds();
        whenDialogOpens([](QDialog *d) { press(d, QDialogButtonBox::Cancel); });
        context.activate(c.number);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[1], std::string(c.name) + ": Operation canceled.");
        EXPECT_EQ(volume->materialIds(), before);

        whenDialogOpens([&c](QDialog *d) {
            c.fill(d);
            press(d, QDialogButtonBox::Ok);
        });
        context.activate(c.number);
        ASSERT_EQ(log->lines.size(), 4u);
        EXPECT_EQ(log->lines[3], std::string(c.name) + ": Operation finished.");
        EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), c.number);
        EXPECT_TRUE(context.latticeStale.at(volume->getId()));
        const std::vector<uint32_t> after = volume->materialIds();
        EXPECT_NE(after, before);

        OperationContext batchContext;
        Core::BatchRun::ProcessListRunner runner(batchContext);
        auto batchVolume = scene();
        runner.setVolume(batchVolume);
        EXPECT_EQ(runner.run({c.step}).outcome, Core::BatchRun::ProcessListRunner::Outcome::Completed);
        EXPECT_EQ(batchVolume->materialIds(), after);
        if (c.undoable) {
            EXPECT_EQ(context.history.undoName(), c.name);
            context.history.undo();
            EXPECT_EQ(volume->materialIds(), before);
        } else {
            EXPECT_EQ(context.history.undoCount(), 0u);
        }
    }
}
