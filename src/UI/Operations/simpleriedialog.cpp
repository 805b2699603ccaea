#include "UI/Operations/simpleriedialog.h"

#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetchingoperation.h"
#include "UI/Operations/filmoptionsdialog.h"
#include "UI/Operations/materialcombo.h"
#include "Util/enumnumbers.h"

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
    using Core::Operations::EtchDirections;
    // A number that names no choice leaves the boxes as they are.
    const auto directions = Util::fromNumber(direction.toUInt(), Core::Operations::etchDirectionChoices);
    if (!directions)
        return;
    switch (*directions) {
    case EtchDirections::None:
        fromTop->setChecked(false);
        break;
    case EtchDirections::FromTop:
        fromTop->setChecked(true);
        break;
    case EtchDirections::FromBelow:
        fromTop->setChecked(false);
        fromBelow->setChecked(true);
        break;
    case EtchDirections::Both:
        fromBelow->setChecked(true);
        break;
    }
}

int SimpleRIEDialog::getDepth() const { return depth->value(); }

quint32 SimpleRIEDialog::getMaterial() const { return material->currentData().toUInt(); }

Core::Operations::EtchDirections SimpleRIEDialog::getDirections() const
{
    using Core::Operations::EtchDirections;
    return (fromTop->isChecked() ? EtchDirections::FromTop : EtchDirections::None) |
           (fromBelow->isChecked() ? EtchDirections::FromBelow : EtchDirections::None);
}

void SimpleRIEDialog::applyTo(Core::Operations::SimpleReactiveIonEtchingOperation &operation) const
{
    operation.setDepth(getDepth());
    operation.setMaterial(getMaterial());
    operation.setDirections(getDirections());
}

} // namespace Operations
} // namespace Ui
