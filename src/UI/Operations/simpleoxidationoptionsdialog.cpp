#include "UI/Operations/simpleoxidationoptionsdialog.h"

#include "Core/Operations/SiOxidation/simplesioxidationoperation.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {

QDoubleSpinBox *numberBox(double minimum, double maximum, double value, int decimals, const QString &suffix)
{
    auto *box = new QDoubleSpinBox;
    box->setDecimals(decimals);
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

} // namespace

SimpleOxidationOptionsDialog::SimpleOxidationOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Si Oxidation Options"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    thicknessButton = new QRadioButton(tr("Oxide thickness"));
    timeButton = new QRadioButton(tr("Oxidation Time"));
    auto *choice = new QButtonGroup(this);
    choice->addButton(thicknessButton);
    choice->addButton(timeButton);

    thickness = numberBox(0.0, 100000.0, 10.0, 4, tr(" microns"));
    thickness->setToolTip(tr("Thickness of the grown oxide; 44 % of it lies below the former surface."));
    form->addRow(thicknessButton, thickness);

    form->addRow(timeButton);
    time = numberBox(0.0, 1000.0, 2.0, 2, tr(" hours"));
    form->addRow(tr("Time"), time);
    temperature = numberBox(0.0, 2000.0, 1273.0, 1, tr(" K"));
    form->addRow(tr("Temperature"), temperature);
    pressure = numberBox(0.0, 1.0, 1.0, 2, tr(" atm"));
    pressure->setSingleStep(0.1);
    pressure->setToolTip(tr("Oxygen pressure of the dry oxidation."));
    form->addRow(tr("Pressure"), pressure);

    conversion = numberBox(0.01, 1e9, 100.0, 2, QString());
    conversion->setSingleStep(1.0);
    conversion->setToolTip(
        tr("Conversion between cell units and microns. Si cells are approximately 1.0 x 1.0 x 0.35 units."));
    form->addRow(tr("Cell units per micron"), conversion);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    okButton = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(thicknessButton, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    connect(timeButton, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    thicknessButton->setChecked(true);
    updateEnabled();
}

bool SimpleOxidationOptionsDialog::isTimeSet() const { return timeButton->isChecked(); }

void SimpleOxidationOptionsDialog::updateEnabled()
{
    const bool byTime = timeButton->isChecked();
    thickness->setEnabled(!byTime);
    time->setEnabled(byTime);
    temperature->setEnabled(byTime);
    pressure->setEnabled(byTime);
}

void SimpleOxidationOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    const auto number = [&](QDoubleSpinBox *box, const char *key) {
        bool ok = false;
        const double value = parameters.value(QString::fromLatin1(key)).toDouble(&ok);
        if (ok)
            box->setValue(value);
    };
    number(thickness, "Oxidation Thickness");
    number(time, "Oxidation Time");
    number(temperature, "Oxidation Temperature");
    number(pressure, "Oxidation Pressure");
    number(conversion, "Micron Conversion");
    if (parameters.contains(QStringLiteral("OxidationTimeSet")))
        (parameters.value(QStringLiteral("OxidationTimeSet")).toBool() ? timeButton : thicknessButton)->setChecked(true);
    else if (parameters.contains(QStringLiteral("OxidationThicknessSet")))
        (parameters.value(QStringLiteral("OxidationThicknessSet")).toBool() ? thicknessButton : timeButton)->setChecked(true);
}

void SimpleOxidationOptionsDialog::applyTo(Core::Operations::SimpleSiOxidationOperation &operation) const
{
    if (isTimeSet())
        operation.setTime(time->value(), temperature->value(), pressure->value());
    else
        operation.setThickness(thickness->value());
    operation.setMicronConversion(conversion->value());
}

} // namespace Operations
} // namespace Ui
