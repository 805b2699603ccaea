// The random-walk doping dialog driven as a user would: its fields, units and defaults,
// the coupled D / time step recomputation, presetting from a process list, refusal of
// values the walk cannot simulate, and the menu operation through the dialog.
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdopingoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "UI/operationfactory.h"
#include "dialogtestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace Core::Operations;
using Ui::Operations::RandomWalkDopingDialog;

namespace {

QString labelOf(QDialog &dialog, QWidget *field)
{
    auto *form = dialog.findChild<QFormLayout *>();
    auto *label = qobject_cast<QLabel *>(form->labelForField(field));
    return label ? label->text() : QString();
}

// Replaces the text by typing and leaves the field, as Tab or a click elsewhere would.
void typeAndLeave(QLineEdit *edit, QString text)
{
    text.replace('.', edit->locale().decimalPoint());
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &leave);
}

double shown(QLineEdit *edit)
{
    return edit->locale().toDouble(edit->text());
}

QString g6(double v)
{
    return QLocale().toString(v, 'g', 6);
}

// Runs `body` while the dialog is open and modal (so that its fields take the focus),
// then closes it.
void whileOpen(QDialog &dialog, const std::function<void()> &body)
{
    QTimer::singleShot(0, [&] {
        body();
        dialog.reject();
    });
    dialog.exec();
}

} // namespace

TEST(RandomWalkDopingDialog, FieldsDefaultsCouplingPresetAndRefusal)
{
    RandomWalkDopingDialog dialog;
    whileOpen(dialog, [&] {
        // Dopants: the simple-doping materials without Si and Poly-Si.
        QComboBox *material = dialog.materialBox();
        ASSERT_EQ(material->count(), 2);
        EXPECT_EQ(material->itemData(0).toUInt(), 14u);
        EXPECT_EQ(material->itemData(1).toUInt(), 15u);
        EXPECT_EQ(labelOf(dialog, material), "Doping Material");
        EXPECT_EQ(labelOf(dialog, dialog.concentrationEdit()), QString::fromUtf8("Dopant concentration (cm⁻³)"));
        EXPECT_EQ(labelOf(dialog, dialog.thresholdBox()), "Threshold");

        // Defaults, shown with 6 significant digits.
        EXPECT_EQ(dialog.diffusionEdit()->text(), g6(2.6e-14));
        EXPECT_EQ(dialog.cellSizeEdit()->text(), g6(0.1));
        EXPECT_EQ(dialog.timeStepEdit()->text(), g6(320.513));
        EXPECT_EQ(dialog.concentrationEdit()->text(), g6(1e-15));
        QDoubleSpinBox *threshold = dialog.thresholdBox();
        EXPECT_EQ(threshold->decimals(), 2);
        EXPECT_EQ(threshold->maximum(), 1e9);
        EXPECT_EQ(threshold->value(), 10.0);
        EXPECT_EQ(threshold->suffix(), " %");
        EXPECT_EQ(dialog.timeBox()->value(), 60.0);
        EXPECT_EQ(dialog.timeBox()->suffix(), " minutes");
        EXPECT_TRUE(dialog.okButton()->isEnabled());

        // The defaults reach the operation in SI units: half the particles stay, each move
        // has 1/12, and "1e-15" lets no particle in.
        OperationContext context;
        RandomWalkDopingOperation operation(context);
        dialog.applyTo(operation);
        EXPECT_EQ(operation.getDopantMaterial(), 14u);
        EXPECT_FLOAT_EQ(operation.getDiffusionCoefficient(), 2.6e-18f);
        EXPECT_FLOAT_EQ(operation.getCellSize(), 1e-7f);
        EXPECT_FLOAT_EQ(operation.getTimeStep(), 320.5128205128206f);
        EXPECT_FLOAT_EQ(operation.getSurfaceConcentration(), 1e-9f);
        EXPECT_FLOAT_EQ(operation.getDopingThreshold(), 1e-10f);
        EXPECT_FLOAT_EQ(operation.getDopingTime(), 3600.0f);
        auto volume = std::make_shared<Model::Automaton::TotalVolume>(2, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D());
        RandomWalkDoping doping(volume.get(), operation.getDopantMaterial(), operation.getDiffusionCoefficient(),
                                operation.getCellSize(), operation.getTimeStep(), operation.getSurfaceConcentration(),
                                operation.getDopingThreshold());
        EXPECT_NEAR(doping.getStayProbability(), 0.5f, 1e-6f);
        EXPECT_NEAR(doping.getMoveProbability(), 1.0f / 12.0f, 1e-6f);
        EXPECT_EQ(doping.getSurfaceCount(), 0);

        // Leaving the cell size recomputes D = 0.5 h^2 / (6 dt), in cm^2/s.
        typeAndLeave(dialog.cellSizeEdit(), "0.2");
        EXPECT_NEAR(shown(dialog.diffusionEdit()), 0.5 * 0.2e-4 * 0.2e-4 / (6 * 320.5128205128206), 1e-19);
        EXPECT_EQ(dialog.timeStepEdit()->text(), g6(320.513));
        // Leaving the time step does the same.
        typeAndLeave(dialog.timeStepEdit(), "100");
        EXPECT_NEAR(shown(dialog.diffusionEdit()) / (0.5 * 0.2e-4 * 0.2e-4 / 600), 1.0, 1e-5);
        // Leaving D recomputes dt = 0.5 h^2 / (6 D).
        typeAndLeave(dialog.diffusionEdit(), "1e-12");
        EXPECT_NEAR(shown(dialog.timeStepEdit()) / (0.5 * 0.2e-4 * 0.2e-4 / (6 * 1e-12)), 1.0, 1e-5);
        EXPECT_NEAR(dialog.getDiffusionCoefficient() * dialog.getTimeStep() * 6 / (dialog.getCellSize() * dialog.getCellSize()),
                    0.5, 1e-5);
        // Concentration and threshold in the user's units.
        typeAndLeave(dialog.concentrationEdit(), "1e18");
        threshold->setFocus();
        threshold->selectAll();
        QTest::keyClick(threshold, Qt::Key_Delete);
        QTest::keyClicks(threshold, QString("25").replace('.', QLocale().decimalPoint()));
        EXPECT_DOUBLE_EQ(dialog.getSurfaceConcentration(), 1e24);
        EXPECT_DOUBLE_EQ(dialog.getDopingThreshold(), 0.25e24);

        // Text outside the accepted numbers cannot be typed.
        dialog.concentrationEdit()->setFocus();
        dialog.concentrationEdit()->selectAll();
        QTest::keyClicks(dialog.concentrationEdit(), "-5x");
        EXPECT_FALSE(dialog.concentrationEdit()->text().contains('-'));
        EXPECT_FALSE(dialog.concentrationEdit()->text().contains('x'));
    });

    // A time step that would move more particles than there are keeps OK disabled and
    // says why; a cell size of 0 likewise.
    RandomWalkDopingDialog refusing;
    whileOpen(refusing, [&] {
        refusing.timeStepEdit()->setFocus();
        refusing.timeStepEdit()->selectAll();
        QTest::keyClicks(refusing.timeStepEdit(), "2000");
        EXPECT_FALSE(refusing.okButton()->isEnabled());
        EXPECT_TRUE(refusing.problemLabel()->text().contains("time step is too long"));
        typeAndLeave(refusing.cellSizeEdit(), "0");
        EXPECT_FALSE(refusing.okButton()->isEnabled());
        typeAndLeave(refusing.cellSizeEdit(), "0.1");
        EXPECT_TRUE(refusing.okButton()->isEnabled()) << refusing.problemLabel()->text().toStdString();
    });

    // Presetting from a process list converts back into the dialog's units.
    RandomWalkDopingDialog preset;
    QMap<QString, QVariant> p;
    p["Material_Id"] = 15u;
    p["Diffusion Coefficient"] = 3e-17f;
    p["Cell Size"] = 2e-7f;
    p["Time Step Duration"] = 40.0f;
    p["Surface Concentration"] = 5e25f;
    p["Doping Threshold"] = 1e25f;
    p["Doping Time"] = 900.0f;
    preset.preset(p);
    EXPECT_EQ(preset.materialBox()->currentData().toUInt(), 15u);
    EXPECT_EQ(preset.diffusionEdit()->text(), g6(3e-13));
    EXPECT_EQ(preset.cellSizeEdit()->text(), g6(0.2));
    EXPECT_EQ(preset.timeStepEdit()->text(), g6(40));
    EXPECT_EQ(preset.concentrationEdit()->text(), g6(5e19));
    EXPECT_NEAR(preset.thresholdBox()->value(), 20.0, 1e-9);
    EXPECT_NEAR(preset.timeBox()->value(), 15.0, 1e-9);
    QMap<QString, QVariant> byName;
    byName["Material"] = QStringLiteral("N-doped Si (100)");
    preset.preset(byName);
    EXPECT_EQ(preset.materialBox()->currentData().toUInt(), 14u);
}

TEST(RandomWalkDopingDialog, MenuOperationRunsThroughTheDialog)
{
    OperationContext context;
    context.setFactory(std::make_shared<Ui::OperationFactory>(context, nullptr));
    auto log = std::make_shared<DialogTest::Log>(context.interpreter);
    context.interpreter.addMessageObserver(log);
    OperationPtr made = context.getFactory()->create(36);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->getName(), "Random Walk Doping");
    EXPECT_EQ(made->getTypeId(), 36);

    std::vector<uint32_t> ids(6 * 6 * 10, 1u);
    for (uint32_t x = 0; x < 6; ++x)
        for (uint32_t y = 0; y < 6; ++y)
            ids[(x * 6 + y) * 10 + 9] = 0;
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(6, 6, 10, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);
    context.scene.add(volume);

    // The user picks P-doped silicon, 1e18 cm^-3, 10 minutes.
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<RandomWalkDopingDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->materialBox()->setCurrentIndex(dialog->materialBox()->findData(15u));
        typeAndLeave(dialog->concentrationEdit(), "1e18");
        dialog->timeBox()->setFocus();
        dialog->timeBox()->selectAll();
        QTest::keyClick(dialog->timeBox(), Qt::Key_Delete);
        QTest::keyClicks(dialog->timeBox(), "10");
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    context.activate(36);
    ASSERT_EQ(log->lines.size(), 2u);
    EXPECT_EQ(log->lines[1], "Random Walk Doping: Operation finished.");
    const std::vector<uint32_t> after = volume->materialIds();
    EXPECT_GE(std::count(after.begin(), after.end(), 15u), 36);
    EXPECT_NE(volume->particleField(RandomWalkDoping::fieldNameP), nullptr);
    EXPECT_EQ(context.history.undoName(), "Random Walk Doping");
}
