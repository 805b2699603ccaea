#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/operationcontext.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Core/Processes/processregistry.h"
#include "UI/Operations/processdialogs.h"
#include "UI/Operations/pvdoptionsdialog.h"
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
#include <QSpinBox>
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

std::vector<quint32> catalogueIds(int process)
{
    const auto v = Model::Process::ProcessFactory::instance()->getProcess(process).compatibleMaterials;
    return std::vector<quint32>(v.begin(), v.end());
}

std::vector<quint32> everyMaterial()
{
    std::vector<quint32> result;
    for (const auto &m : Model::Materials::MaterialFactory::instance()->getMaterials())
        result.push_back(m.id);
    return result;
}

void expectSwatches(QComboBox *combo)
{
    ASSERT_GT(combo->count(), 0);
    for (int i = 0; i < combo->count(); ++i) {
        const auto m = Model::Materials::MaterialFactory::instance()->getMaterial(combo->itemData(i).toUInt());
        EXPECT_EQ(combo->itemText(i), m.name);
        const QImage swatch = combo->itemIcon(i).pixmap(100, 100).toImage();
        EXPECT_EQ(swatch.size(), QSize(100, 100));
        EXPECT_NEAR(swatch.pixelColor(50, 50).red(), m.color[0] * 255, 1.0);
        EXPECT_NEAR(swatch.pixelColor(50, 50).blue(), m.color[2] * 255, 1.0);
    }
}

void expectLength(QDoubleSpinBox *box, const char *label, int decimals)
{
    EXPECT_EQ(labelOf(box), label);
    EXPECT_EQ(box->decimals(), decimals);
    EXPECT_EQ(box->minimum(), 0.0);
    EXPECT_EQ(box->maximum(), 1e9);
    EXPECT_EQ(box->value(), 10.0);
    EXPECT_EQ(box->suffix(), " units");
}

void screenshot(QDialog &dialog, const char *name)
{
    dialog.show();
    QApplication::processEvents();
    dialog.grab().save(QStringLiteral("/tmp/kelvane-%1.png").arg(name));
    dialog.hide();
}

// Silicon floor with a trench, a block of Thermal Si02 on it and a silicon plate above.
TotalVolumePtr scene()
{
    auto volume = std::make_shared<TotalVolume>(14, 9, 12, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    Model::Automaton::VoxelLock cells(*volume);
    for (uint32_t x = 0; x < 14; ++x)
        for (uint32_t y = 0; y < 9; ++y)
            for (uint32_t z = 0; z < 12; ++z) {
                uint32_t m = 0;
                if (z < 3 && !(x >= 5 && x <= 7 && z >= 1))
                    m = 1;
                else if (z >= 3 && z < 5 && x >= 9 && y >= 2 && y <= 6)
                    m = 3;
                else if (z == 8 && x >= 2 && x <= 10)
                    m = 1;
                cells[volume->index(x, y, z)].setMaterialId(m);
            }
    return volume;
}

// The options dialog of the process of list type `batchType`.
std::unique_ptr<FilmOptionsDialog> dialogOf(int32_t batchType)
{
    return std::make_unique<FilmOptionsDialog>(*Core::Processes::ProcessRegistry::instance().byBatchType(batchType));
}

FilmOptionsDialog *form(QDialog *d)
{
    auto *dialog = qobject_cast<FilmOptionsDialog *>(d);
    EXPECT_TRUE(dialog);
    return dialog;
}

struct MenuCase
{
    int number;
    const char *name;
    int typeId;
    std::function<void(QDialog *)> fill; // types the values the step below holds
    ProcessData step;
};

std::vector<MenuCase> menuCases()
{
    return {
        {13, "Isotropic Deposition", 13,
         [](QDialog *d) {
             type(form(d)->numberBox("Film Thickness"), "2.5");
             choose(form(d)->materialBox("Material"), 1);
         },
         step(16, {{"Material_Id", 1u}, {"Film Thickness", 2.5f}})},
        {33, "CVD", 13,
         [](QDialog *d) {
             type(form(d)->numberBox("Thickness"), "3");
             choose(form(d)->materialBox("Material"), 3);
         },
         step(4, {{"Material_Id", 3u}, {"Thickness", 3.0f}})},
        {14, "Isotropic Etching", 14,
         [](QDialog *d) {
             type(form(d)->numberBox("Depth"), "2");
             choose(form(d)->materialBox("Material"), 1);
         },
         step(5, {{"Material_Id", 1u}, {"Depth", 2.0f}})},
        {15, "Electroplating", 15,
         [](QDialog *d) {
             type(form(d)->numberBox("Film Thickness"), "1.5");
             choose(form(d)->materialBox("Deposited Material"), 5);
             choose(form(d)->materialBox("Conducting Material"), 3);
         },
         step(7, {{"Film Thickness", 1.5f}, {"Conducting Material_Id", 3u}, {"Deposited Material_Id", 5u}})},
        {27, "Anisotropic Deposition", 13,
         [](QDialog *d) {
             type(form(d)->numberBox("Film Thickness"), "3");
             type(form(d)->numberBox("Horizontal to Vertical Ratio"), "0.25");
             choose(form(d)->materialBox("Material"), 4);
         },
         step(17, {{"Material_Id", 4u}, {"Film Thickness", 3.0f}, {"Horizontal to Vertical Ratio", 0.25f}})},
        {32, "Anisotropic Etching", 13,
         [](QDialog *d) {
             type(form(d)->numberBox("Etch Depth"), "2.5");
             choose(form(d)->materialBox("Material"), 1);
         },
         step(18, {{"Material_Id", 1u}, {"Etch Depth", 2.5f}, {"Horizontal to Vertical Ratio", 0.5f}})},
        {31, "Isotropic Deposition", 13,
         [](QDialog *d) {
             auto *dialog = qobject_cast<PVDOptionsDialog *>(d);
             ASSERT_TRUE(dialog);
             type(dialog->thicknessBox(), "2");
             type(dialog->ratioBox(), "0.75");
             QTest::mouseClick(dialog->sideButton(Core::Operations::DepositOn::Both), Qt::LeftButton);
             choose(dialog->materialBox(), 6);
         },
         step(12, {{"Material_Id", 6u}, {"Thickness", 2.0}, {"Horizontal to Vertical Ratio", 0.75}, {"DepositOn", 3}})},
        {18, "Moore film deposition", 18,
         [](QDialog *d) {
             type(form(d)->countBox("Thickness"), "2");
             choose(form(d)->materialBox("Material"), 4);
         },
         step(2, {{"Material_Id", 4u}, {"Thickness", 2.0f}})},
        {19, "Moore film deposition", 19,
         [](QDialog *d) {
             type(form(d)->countBox("Depth"), "1");
             choose(form(d)->materialBox("Material"), 1);
         },
         step(3, {{"Material_Id", 1u}, {"Depth", 1.0f}})},
    };
}

} // namespace

TEST(FilmDialogs, TitlesFieldsRangesDefaultsAndMaterials)
{
    const auto processName = [](int id) {
        return Model::Process::ProcessFactory::instance()->getProcess(id).name;
    };
    {
        auto d = dialogOf(16);
        EXPECT_EQ(d->windowTitle(), "Isotropic Film Deposition");
        expectLength(d->numberBox("Film Thickness"), "Film thickness", 2);
        EXPECT_EQ(labelOf(d->materialBox("Material")), "Material");
        EXPECT_EQ(ids(d->materialBox("Material")), catalogueIds(18));
        expectSwatches(d->materialBox("Material"));
        screenshot(*d, "isotropic-deposition");
        auto cvd = dialogOf(4);
        EXPECT_EQ(cvd->windowTitle(), "Isotropic Film Deposition");
        expectLength(cvd->numberBox("Thickness"), "Film thickness", 2);
        EXPECT_EQ(ids(cvd->materialBox("Material")), catalogueIds(3));
    }
    {
        auto d = dialogOf(5);
        EXPECT_EQ(d->windowTitle(), processName(10) + " Options");
        EXPECT_EQ(d->windowTitle(), "Isotropic Etching Options");
        expectLength(d->numberBox("Depth"), "Etch Depth", 2);
        EXPECT_EQ(ids(d->materialBox("Material")), catalogueIds(10));
        expectSwatches(d->materialBox("Material"));
        screenshot(*d, "isotropic-etching");
    }
    {
        auto d = dialogOf(7);
        EXPECT_EQ(d->windowTitle(), "Electroplating Options");
        expectLength(d->numberBox("Film Thickness"), "Film thickness", 2);
        EXPECT_EQ(labelOf(d->materialBox("Deposited Material")), "Material");
        EXPECT_EQ(labelOf(d->materialBox("Conducting Material")), "Conducting Material");
        EXPECT_EQ(ids(d->materialBox("Deposited Material")), everyMaterial());
        EXPECT_EQ(ids(d->materialBox("Conducting Material")), everyMaterial());
        expectSwatches(d->materialBox("Conducting Material"));
        screenshot(*d, "electroplating");
    }
    {
        auto d = dialogOf(17);
        EXPECT_EQ(d->windowTitle(), processName(16) + " Options");
        expectLength(d->numberBox("Film Thickness"), "Film thickness", 2);
        QDoubleSpinBox *ratio = d->numberBox("Horizontal to Vertical Ratio");
        EXPECT_EQ(labelOf(ratio), "Horizontal ratio");
        EXPECT_EQ(ratio->decimals(), 3);
        EXPECT_EQ(ratio->minimum(), 0.0);
        EXPECT_EQ(ratio->maximum(), 1e9);
        EXPECT_EQ(ratio->value(), 0.5);
        EXPECT_EQ(ids(d->materialBox("Material")), catalogueIds(16));
        screenshot(*d, "anisotropic-deposition");
    }
    {
        auto d = dialogOf(18);
        EXPECT_EQ(d->windowTitle(), "Anisotropic Etching Options");
        expectLength(d->numberBox("Etch Depth"), "Etch Depth", 2);
        EXPECT_EQ(d->numberBox("Horizontal to Vertical Ratio")->value(), 0.5);
        EXPECT_EQ(ids(d->materialBox("Material")), catalogueIds(17));
        screenshot(*d, "anisotropic-etching");
    }
    {
        PVDOptionsDialog d;
        EXPECT_EQ(d.windowTitle(), "PVD Options");
        expectLength(d.thicknessBox(), "Film thickness", 2);
        EXPECT_EQ(d.ratioBox()->minimum(), 0.01);
        EXPECT_EQ(d.ratioBox()->value(), 0.5);
        EXPECT_EQ(d.sideButton(Core::Operations::DepositOn::Top)->text(), "Deposit on top");
        EXPECT_EQ(d.sideButton(Core::Operations::DepositOn::Bottom)->text(), "Deposit on bottom");
        EXPECT_EQ(d.sideButton(Core::Operations::DepositOn::Both)->text(), "Deposit on both sides");
        EXPECT_TRUE(d.sideButton(Core::Operations::DepositOn::Top)->isChecked());
        EXPECT_EQ(d.getSide(), Core::Operations::DepositOn::Top);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        QTest::mouseClick(d.sideButton(Core::Operations::DepositOn::Bottom), Qt::LeftButton);
        EXPECT_EQ(d.getSide(), Core::Operations::DepositOn::Bottom);
        EXPECT_FALSE(d.sideButton(Core::Operations::DepositOn::Top)->isChecked());
        EXPECT_EQ(ids(d.materialBox()), catalogueIds(4));
        screenshot(d, "pvd");
    }
    for (int32_t batchType : {2, 3}) {
        auto d = dialogOf(batchType);
        const char *key = batchType == 2 ? "Thickness" : "Depth";
        QSpinBox *count = d->countBox(key);
        ASSERT_TRUE(count);
        EXPECT_EQ(d->windowTitle(), "Operation Options");
        EXPECT_EQ(labelOf(count), batchType == 2 ? "Film Thickness" : "Etch Depth");
        EXPECT_EQ(count->minimum(), 1);
        EXPECT_EQ(count->maximum(), 999999999);
        EXPECT_EQ(count->value(), 1);
        EXPECT_EQ(count->suffix(), " cells");
        QComboBox *material = d->materialBox("Material");
        EXPECT_EQ(labelOf(material), "Select Film");
        EXPECT_EQ(ids(material), everyMaterial());
        expectSwatches(material);
        screenshot(*d, batchType == 2 ? "moore-deposition" : "moore-etching");
        // OK only while there is a material to choose.
        EXPECT_TRUE(d->okButtonWidget()->isEnabled());
        material->clear();
        EXPECT_FALSE(d->okButtonWidget()->isEnabled());
        material->addItem("Si", 1u);
        EXPECT_TRUE(d->okButtonWidget()->isEnabled());
    }
}

TEST(FilmDialogs, PresetFromProcessListParameters)
{
    const auto values = [](const FilmOptionsDialog &d) {
        Core::Processes::ParameterSet v;
        d.writeValues(v);
        return v;
    };
    QMap<QString, QVariant> p;
    p.insert("Film Thickness", 4.5);
    p.insert("Material", QString("Al (bulk)"));
    auto iso = dialogOf(16);
    iso->preset(p);
    EXPECT_EQ(iso->numberBox("Film Thickness")->value(), 4.5);
    EXPECT_EQ(values(*iso).material("Material"), 4u);
    p.insert("Material_Id", 5u); // the id wins over the name
    iso->preset(p);
    EXPECT_EQ(values(*iso).material("Material"), 5u);
    auto cvd = dialogOf(4); // a CVD step names its thickness "Thickness"
    cvd->preset({{"Thickness", 2.25}, {"Material_Id", 3u}});
    EXPECT_EQ(values(*cvd).real("Thickness"), 2.25f);
    EXPECT_EQ(values(*cvd).material("Material"), 3u);

    auto etch = dialogOf(5);
    etch->preset({{"Depth", 3.0}, {"Material_Id", 1u}});
    EXPECT_EQ(values(*etch).real("Depth"), 3.0f);
    EXPECT_EQ(values(*etch).material("Material"), 1u);
    etch->preset({{"Material_Id", 999u}}); // not offered: unchanged
    EXPECT_EQ(values(*etch).material("Material"), 1u);

    auto plating = dialogOf(7);
    plating->preset({{"Film Thickness", 1.25}, {"Conducting Material", QString("Cu (bulk)")}, {"Deposited Material_Id", 9u}});
    EXPECT_EQ(values(*plating).real("Film Thickness"), 1.25f);
    EXPECT_EQ(values(*plating).material("Conducting Material"), 5u);
    EXPECT_EQ(values(*plating).material("Deposited Material"), 9u);

    auto dep = dialogOf(17);
    dep->preset({{"Film Thickness", 7.0}, {"Horizontal to Vertical Ratio", 0.125}, {"Material_Id", 3u}});
    EXPECT_EQ(values(*dep).real("Film Thickness"), 7.0f);
    EXPECT_EQ(values(*dep).real("Horizontal to Vertical Ratio"), 0.125f);
    EXPECT_EQ(values(*dep).material("Material"), 3u);

    auto aetch = dialogOf(18);
    aetch->preset({{"Etch Depth", 8.0}, {"Horizontal to Vertical Ratio", 2.0}, {"Material", QString("Si")}});
    EXPECT_EQ(values(*aetch).real("Etch Depth"), 8.0f);
    EXPECT_EQ(values(*aetch).real("Horizontal to Vertical Ratio"), 2.0f);
    EXPECT_EQ(values(*aetch).material("Material"), 1u);

    PVDOptionsDialog pvd;
    pvd.preset({{"Thickness", 6.0}, {"Horizontal to Vertical Ratio", 0.3}, {"DepositOn", 2}, {"Material_Id", 7u}});
    EXPECT_EQ(pvd.getThickness(), 6.0f);
    EXPECT_EQ(pvd.getRatio(), 0.3f);
    EXPECT_EQ(pvd.getSide(), Core::Operations::DepositOn::Bottom);
    EXPECT_EQ(pvd.getMaterial(), 7u);
    pvd.preset({{"Deposit On", QString("On Top and Bottom")}});
    EXPECT_EQ(pvd.getSide(), Core::Operations::DepositOn::Both);
    EXPECT_EQ(PVDOptionsDialog::sideText(Core::Operations::DepositOn::Top), "On Top");
    EXPECT_EQ(PVDOptionsDialog::sideText(Core::Operations::DepositOn::Bottom), "On Bottom");
    // Each stored number selects the side it stands for; one that names no side changes nothing.
    for (const int number : {1, 2, 3, 0, 4}) {
        pvd.preset({{"DepositOn", number}});
        EXPECT_EQ(static_cast<int>(pvd.getSide()), number < 1 || number > 3 ? 3 : number) << number;
    }

    auto moore = dialogOf(3);
    moore->preset({{"Depth", 4.0}, {"Thickness", 9.0}, {"Material_Id", 13u}});
    EXPECT_EQ(moore->countBox("Depth")->value(), 4);
    EXPECT_EQ(values(*moore).material("Material"), 13u);
}

TEST(FilmDialogs, EveryMenuNumberThroughItsDialogMatchesTheBatchStep)
{
    for (MenuCase &c : menuCases()) {
        SCOPED_TRACE("menu number " + std::to_string(c.number));
        OperationContext context;
        context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
        auto log = std::make_shared<Log>(context.interpreter);
        context.interpreter.addMessageObserver(log);

        OperationPtr made = context.getFactory()->create(c.number);
        ASSERT_TRUE(made);
        EXPECT_EQ(made->getName(), c.name);
        EXPECT_EQ(made->getTypeId(), c.typeId);
        EXPECT_TRUE(made->getOptionsObserver());
        EXPECT_TRUE(std::dynamic_pointer_cast<ObjectOperation>(made));

        auto volume = scene();
        context.scene.add(volume);
        const std::vector<uint32_t> before = volume->materialIds();

        // Cancel: nothing changes, nothing enters the history.
        whenDialogOpens([](QDialog *d) { press(d, QDialogButtonBox::Cancel); });
        context.activate(c.number);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[0], std::string(c.name) + ": Cell volume selected.");
        EXPECT_EQ(log->lines[1], std::string(c.name) + ": Operation canceled.");
        EXPECT_EQ(context.history.undoCount(), 0u);
        EXPECT_EQ(volume->materialIds(), before);

        // OK with typed values.
        whenDialogOpens([&c](QDialog *d) {
            c.fill(d);
            press(d, QDialogButtonBox::Ok);
        });
        context.activate(c.number);
        ASSERT_EQ(log->lines.size(), 4u);
        EXPECT_EQ(log->lines[3], std::string(c.name) + ": Operation finished.");
        EXPECT_EQ(context.history.undoName(), c.name);
        EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), c.typeId);
        const std::vector<uint32_t> after = volume->materialIds();
        EXPECT_NE(after, before);

        // The batch step with the same values gives the same cells.
        OperationContext batchContext;
        Core::BatchRun::ProcessListRunner runner(batchContext);
        auto batchVolume = scene();
        runner.setVolume(batchVolume);
        EXPECT_EQ(runner.run({c.step}).outcome, Core::BatchRun::ProcessListRunner::Outcome::Completed);
        EXPECT_EQ(batchVolume->materialIds(), after);

        context.history.undo();
        EXPECT_EQ(volume->materialIds(), before);
        EXPECT_EQ(context.history.redoName(), c.name);
        context.history.redo();
        EXPECT_EQ(volume->materialIds(), after);
    }
}
