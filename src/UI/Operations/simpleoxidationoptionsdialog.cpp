#include "UI/Operations/simpleoxidationoptionsdialog.h"

#include "Core/Processes/processregistry.h"

#include <QButtonGroup>
#include <QDoubleSpinBox>
#include <QRadioButton>

namespace Ui {
namespace Operations {

namespace {

const QString keyByTime = QStringLiteral("OxidationTimeSet");
const QString keyThickness = QStringLiteral("Oxidation Thickness");

} // namespace

SimpleOxidationOptionsDialog::SimpleOxidationOptionsDialog(QWidget *parent)
    : FilmOptionsDialog(parent), process(*Core::Processes::ProcessRegistry::instance().byBatchType(15))
{
    setWindowTitle(process.dialogTitle);
    const auto number = [this](const char *key) {
        return static_cast<QDoubleSpinBox *>(addField(process, *process.field(QString::fromLatin1(key))));
    };

    const Core::Processes::ParameterField &thicknessField = *process.field(keyThickness);
    thicknessButton = new QRadioButton(thicknessField.label);
    timeButton = new QRadioButton(process.field(keyByTime)->label);
    auto *choice = new QButtonGroup(this);
    choice->addButton(thicknessButton);
    choice->addButton(timeButton);

    // The thickness's label is its choice.
    thickness = new QDoubleSpinBox;
    thickness->setDecimals(thicknessField.decimals);
    thickness->setRange(thicknessField.minimum, thicknessField.maximum);
    thickness->setValue(thicknessField.defaultValue);
    thickness->setSuffix(thicknessField.suffix());
    thickness->setToolTip(thicknessField.help);
    bindField(thicknessField, thickness);
    addRow(thicknessButton, thickness);

    addRow(timeButton);
    time = number("Oxidation Time");
    temperature = number("Oxidation Temperature");
    pressure = number("Oxidation Pressure");
    pressure->setSingleStep(0.1);
    conversion = number("Micron Conversion");
    conversion->setSingleStep(1.0);

    connect(thicknessButton, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    connect(timeButton, &QRadioButton::toggled, this, [this] { updateEnabled(); });
    (process.field(keyByTime)->defaultValue != 0.0 ? timeButton : thicknessButton)->setChecked(true);
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

void SimpleOxidationOptionsDialog::writeValues(Core::Processes::ParameterSet &values) const
{
    Core::Processes::ParameterSet all;
    FilmOptionsDialog::writeValues(all);
    all.set(keyByTime, isTimeSet());
    for (const Core::Processes::ParameterField &field : process.fields)
        if (all.has(field.key) && field.appliesTo(all))
            values.set(field.key, all.value(field.key));
}

void SimpleOxidationOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    FilmOptionsDialog::preset(parameters);
    if (parameters.contains(keyByTime))
        (parameters.value(keyByTime).toBool() ? timeButton : thicknessButton)->setChecked(true);
    else if (parameters.contains(QStringLiteral("OxidationThicknessSet")))
        (parameters.value(QStringLiteral("OxidationThicknessSet")).toBool() ? thicknessButton : timeButton)->setChecked(true);
}

} // namespace Operations
} // namespace Ui
