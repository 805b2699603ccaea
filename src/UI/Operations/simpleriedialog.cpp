#include "UI/Operations/simpleriedialog.h"

#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetchingoperation.h"
#include "UI/Operations/filmoptionsdialog.h"
#include "UI/Operations/materialcombo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace Ui {
namespace Operations {

SimpleRIEDialog::SimpleRIEDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Simple RIE Options"));
    setFixedSize(400, 280);
    depth = new QSpinBox;
    depth->setRange(1, 999999999);
    depth->setValue(1);
    depth->setSuffix(tr(" units"));
    material = new QComboBox;
    fillMaterialCombo(material);
    fromTop = new QCheckBox(tr("Etch from top"));
    fromTop->setChecked(true);
    fromBelow = new QCheckBox(tr("Etch from below"));

    auto *form = new QFormLayout;
    form->addRow(tr("Etch Depth"), depth);
    form->addRow(tr("Select Material"), material);
    form->addRow(fromTop);
    form->addRow(fromBelow);
    // Nothing to etch without a material: OK waits for one.
    auto *buttons = okCancelNeedingMaterial(this, material);
    okButton = buttons->button(QDialogButtonBox::Ok);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons);
}

void SimpleRIEDialog::preset(const QMap<QString, QVariant> &parameters)
{
    bool ok = false;
    const double value = parameters.value(QStringLiteral("Etch Depth")).toDouble(&ok);
    if (ok && std::isfinite(value))
        depth->setValue(static_cast<int>(std::max(1.0, std::min(value, 999999999.0))));
    FilmOptionsDialog::presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
    const QVariant direction = parameters.value(QStringLiteral("EtchDirectionValue"));
    if (!direction.isValid())
        return;
    switch (direction.toUInt()) {
    case 0:
        fromTop->setChecked(false);
        break;
    case 1:
        fromTop->setChecked(true);
        break;
    case 2:
        fromTop->setChecked(false);
        fromBelow->setChecked(true);
        break;
    case 3:
        fromBelow->setChecked(true);
        break;
    default:
        break;
    }
}

int SimpleRIEDialog::getDepth() const { return depth->value(); }

quint32 SimpleRIEDialog::getMaterial() const { return material->currentData().toUInt(); }

uint8_t SimpleRIEDialog::getDirections() const
{
    return static_cast<uint8_t>((fromTop->isChecked() ? 1 : 0) | (fromBelow->isChecked() ? 2 : 0));
}

void SimpleRIEDialog::applyTo(Core::Operations::SimpleReactiveIonEtchingOperation &operation) const
{
    operation.setDepth(getDepth());
    operation.setMaterial(getMaterial());
    operation.setDirections(getDirections());
}

} // namespace Operations
} // namespace Ui
