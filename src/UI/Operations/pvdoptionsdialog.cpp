#include "UI/Operations/pvdoptionsdialog.h"

#include "Core/Processes/processregistry.h"
#include "Util/enumnumbers.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace Ui {
namespace Operations {

using Core::Operations::DepositOn;
using Core::Operations::depositOnSides;

namespace {

const Core::Processes::ProcessDescriptor &pvd() { return *Core::Processes::ProcessRegistry::instance().byBatchType(12); }

const QString keySide = QStringLiteral("DepositOn");

} // namespace

PVDOptionsDialog::PVDOptionsDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    const Core::Processes::ProcessDescriptor &process = pvd();
    setWindowTitle(processTitle(process.catalogueId));
    thickness = static_cast<QDoubleSpinBox *>(addField(process, *process.field(QStringLiteral("Thickness"))));
    ratio = static_cast<QDoubleSpinBox *>(
        addField(process, *process.field(QStringLiteral("Horizontal to Vertical Ratio"))));

    const Core::Processes::ParameterField &sideField = *process.field(keySide);
    auto *group = new QGroupBox(sideField.label);
    auto *column = new QVBoxLayout(group);
    auto *buttons = new QButtonGroup(this);
    const char *const labels[3] = {"Deposit on top", "Deposit on bottom", "Deposit on both sides"};
    for (size_t i = 0; i < depositOnSides.size(); ++i) {
        sides[i] = new QRadioButton(tr(labels[i]));
        buttons->addButton(sides[i], Util::toNumber(depositOnSides[i]));
        column->addWidget(sides[i]);
    }
    setSide(Util::fromNumber(static_cast<int32_t>(sideField.defaultValue), depositOnSides).value_or(DepositOn::Top));
    addRow(group);

    material = static_cast<QComboBox *>(addField(process, *process.field(QStringLiteral("Material"))));
}

QString PVDOptionsDialog::sideText(DepositOn side) { return Core::Processes::pvdSideText(Util::toNumber(side)); }

size_t PVDOptionsDialog::indexOf(DepositOn side)
{
    return static_cast<size_t>(std::find(depositOnSides.begin(), depositOnSides.end(), side) - depositOnSides.begin());
}

void PVDOptionsDialog::setSide(DepositOn side) { sides[indexOf(side)]->setChecked(true); }

void PVDOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    FilmOptionsDialog::preset(parameters);
    const QString text = QStringLiteral("Deposit On");
    if (parameters.contains(keySide)) {
        // A number that names no side leaves the choice as it is.
        if (const auto side = Util::fromNumber(parameters.value(keySide).toInt(), depositOnSides))
            setSide(*side);
    } else if (parameters.contains(text)) {
        for (const DepositOn side : depositOnSides)
            if (parameters.value(text).toString() == sideText(side))
                setSide(side);
    }
}

void PVDOptionsDialog::writeValues(Core::Processes::ParameterSet &values) const
{
    FilmOptionsDialog::writeValues(values);
    values.set(keySide, Util::toNumber(getSide()));
}

float PVDOptionsDialog::getThickness() const { return static_cast<float>(thickness->value()); }
float PVDOptionsDialog::getRatio() const { return static_cast<float>(ratio->value()); }

DepositOn PVDOptionsDialog::getSide() const
{
    for (size_t i = 0; i < depositOnSides.size(); ++i)
        if (sides[i]->isChecked())
            return depositOnSides[i];
    return DepositOn::Top;
}

quint32 PVDOptionsDialog::getMaterial() const { return material->currentData().toUInt(); }

} // namespace Operations
} // namespace Ui
