#include "UI/Operations/pvdoptionsdialog.h"

#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordepositionoperation.h"
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

PVDOptionsDialog::PVDOptionsDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(processTitle(4));
    thickness = addLength(tr("Film thickness"));
    ratio = addRatio(0.01);

    auto *group = new QGroupBox(tr("Deposition side"));
    auto *column = new QVBoxLayout(group);
    auto *buttons = new QButtonGroup(this);
    const char *const labels[3] = {"Deposit on top", "Deposit on bottom", "Deposit on both sides"};
    for (size_t i = 0; i < depositOnSides.size(); ++i) {
        sides[i] = new QRadioButton(tr(labels[i]));
        buttons->addButton(sides[i], Util::toNumber(depositOnSides[i]));
        column->addWidget(sides[i]);
    }
    sides[0]->setChecked(true);
    addRow(group);

    material = addMaterialList(tr("Material"), processMaterials(4));
}

QString PVDOptionsDialog::sideText(DepositOn side)
{
    switch (side) {
    case DepositOn::Top:
        return QStringLiteral("On Top");
    case DepositOn::Bottom:
        return QStringLiteral("On Bottom");
    case DepositOn::Both:
        break;
    }
    return QStringLiteral("On Top and Bottom");
}

size_t PVDOptionsDialog::indexOf(DepositOn side)
{
    return static_cast<size_t>(std::find(depositOnSides.begin(), depositOnSides.end(), side) - depositOnSides.begin());
}

void PVDOptionsDialog::setSide(DepositOn side) { sides[indexOf(side)]->setChecked(true); }

void PVDOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    presetNumber(thickness, parameters, QStringLiteral("Thickness"));
    presetNumber(ratio, parameters, QStringLiteral("Horizontal to Vertical Ratio"));
    const QString code = QStringLiteral("DepositOn");
    const QString text = QStringLiteral("Deposit On");
    if (parameters.contains(code)) {
        // A number that names no side leaves the choice as it is.
        if (const auto side = Util::fromNumber(parameters.value(code).toInt(), depositOnSides))
            setSide(*side);
    } else if (parameters.contains(text)) {
        for (const DepositOn side : depositOnSides)
            if (parameters.value(text).toString() == sideText(side))
                setSide(side);
    }
    presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
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

void PVDOptionsDialog::applyTo(Core::Operations::SimplePhysicalVaporDepositionOperation &operation) const
{
    operation.setThickness(getThickness());
    operation.setRatio(getRatio());
    operation.setSide(getSide());
    operation.setMaterial(getMaterial());
}

} // namespace Operations
} // namespace Ui
