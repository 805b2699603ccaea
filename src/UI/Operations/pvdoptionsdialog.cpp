#include "UI/Operations/pvdoptionsdialog.h"

#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordepositionoperation.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

PVDOptionsDialog::PVDOptionsDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(processTitle(4));
    thickness = addLength(tr("Film thickness"));
    ratio = addRatio(0.01);

    auto *group = new QGroupBox(tr("Deposition side"));
    auto *column = new QVBoxLayout(group);
    auto *buttons = new QButtonGroup(this);
    const char *const labels[3] = {"Deposit on top", "Deposit on bottom", "Deposit on both sides"};
    for (int i = 0; i < 3; ++i) {
        sides[i] = new QRadioButton(tr(labels[i]));
        buttons->addButton(sides[i], i + 1);
        column->addWidget(sides[i]);
    }
    sides[0]->setChecked(true);
    addRow(group);

    material = addMaterialList(tr("Material"), processMaterials(4));
}

QString PVDOptionsDialog::sideText(int side)
{
    switch (side) {
    case 1:
        return QStringLiteral("On Top");
    case 2:
        return QStringLiteral("On Bottom");
    case 3:
        return QStringLiteral("On Top and Bottom");
    default:
        return QString();
    }
}

void PVDOptionsDialog::setSide(int side)
{
    if (side >= 1 && side <= 3)
        sides[side - 1]->setChecked(true);
}

void PVDOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    presetNumber(thickness, parameters, QStringLiteral("Thickness"));
    presetNumber(ratio, parameters, QStringLiteral("Horizontal to Vertical Ratio"));
    const QString code = QStringLiteral("DepositOn");
    const QString text = QStringLiteral("Deposit On");
    if (parameters.contains(code)) {
        setSide(parameters.value(code).toInt());
    } else if (parameters.contains(text)) {
        for (int side = 1; side <= 3; ++side)
            if (parameters.value(text).toString() == sideText(side))
                setSide(side);
    }
    presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
}

float PVDOptionsDialog::getThickness() const { return static_cast<float>(thickness->value()); }
float PVDOptionsDialog::getRatio() const { return static_cast<float>(ratio->value()); }

int PVDOptionsDialog::getSide() const
{
    for (int i = 0; i < 3; ++i)
        if (sides[i]->isChecked())
            return i + 1;
    return 1;
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
