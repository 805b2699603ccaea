#include "UI/Operations/mooreoptionsdialog.h"

#include "Core/Operations/MooreNeighborhood/mooreneighborhooddepositionoperation.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetchingoperation.h"

#include "UI/Operations/filmoptionsdialog.h"
#include "UI/Operations/materialcombo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

namespace Ui {
namespace Operations {

MooreOptionsDialog::MooreOptionsDialog(Mode mode, QWidget *parent) : QDialog(parent), mode(mode)
{
    setWindowTitle(tr("Operation Options"));
    valueLabel = new QLabel(tr("Select Value"));
    valueLabel->setText(mode == Mode::Deposition ? tr("Film Thickness") : tr("Etch Depth"));
    count = new QSpinBox;
    count->setRange(1, 999999999);
    count->setValue(1);
    count->setSuffix(tr(" cells"));
    valueLabel->setBuddy(count);
    material = new QComboBox;
    fillMaterialCombo(material);

    auto *form = new QFormLayout;
    form->addRow(valueLabel, count);
    form->addRow(tr("Select Film"), material);
    // Nothing to deposit or etch without a material: OK waits for one.
    auto *buttons = okCancelNeedingMaterial(this, material);
    okButton = buttons->button(QDialogButtonBox::Ok);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void MooreOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    const QString key = mode == Mode::Deposition ? QStringLiteral("Thickness") : QStringLiteral("Depth");
    bool ok = false;
    const double value = parameters.value(key).toDouble(&ok);
    if (ok && std::isfinite(value))
        count->setValue(static_cast<int>(std::max(1.0, std::min(value, 999999999.0))));
    FilmOptionsDialog::presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
}

int MooreOptionsDialog::getCount() const { return count->value(); }

quint32 MooreOptionsDialog::getMaterial() const { return material->currentData().toUInt(); }

void MooreOptionsDialog::applyTo(Core::Operations::MooreNeighborhoodDepositionOperation &operation) const
{
    operation.setThickness(getCount());
    operation.setMaterial(getMaterial());
}

void MooreOptionsDialog::applyTo(Core::Operations::MooreNeighborhoodEtchingOperation &operation) const
{
    operation.setDepth(getCount());
    operation.setMaterial(getMaterial());
}

} // namespace Operations
} // namespace Ui
