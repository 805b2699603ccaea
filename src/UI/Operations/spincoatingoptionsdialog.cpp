#include "UI/Operations/spincoatingoptionsdialog.h"

#include "Core/Operations/SpinCoating/spincoatingoperation.h"
#include "UI/Operations/filmoptionsdialog.h"
#include "UI/Operations/materialcombo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

namespace Ui {
namespace Operations {

SpinCoatingOptionsDialog::SpinCoatingOptionsDialog(uint32_t volumeHeight, QWidget *parent)
    : SpinCoatingOptionsDialog(volumeHeight, std::nullopt, parent)
{
}

SpinCoatingOptionsDialog::SpinCoatingOptionsDialog(uint32_t volumeHeight, std::optional<uint32_t> materialTop,
                                                   QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Pour Material Options"));
    material = new QComboBox;
    fillMaterialCombo(material);
    height = new QSpinBox;
    height->setRange(0, static_cast<int>(std::min<uint32_t>(volumeHeight, INT_MAX)));
    // A pour up to the material's top fills no more than its cavities: the first height
    // that adds a layer is one cell above it.
    height->setValue(materialTop ? static_cast<int>(std::min<uint32_t>(*materialTop, INT_MAX - 1)) + 1 : 0);
    height->setSuffix(tr(" cells"));

    auto *form = new QFormLayout;
    form->addRow(tr("Material"), material);
    if (materialTop) {
        top = new QLabel(*materialTop == 0   ? tr("Top of the material: none, the volume is empty")
                         : *materialTop == 1 ? tr("Top of the material: 1 cell")
                                             : tr("Top of the material: %1 cells").arg(*materialTop));
        auto *row = new QHBoxLayout;
        row->addWidget(height, 1);
        row->addWidget(top);
        auto *name = new QLabel(tr("Deposition Height"));
        name->setBuddy(height);
        form->addRow(name, row);
    } else {
        form->addRow(tr("Deposition Height"), height);
    }
    // Nothing to pour without a material: OK waits for one.
    auto *buttons = okCancelNeedingMaterial(this, material);
    okButton = buttons->button(QDialogButtonBox::Ok);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void SpinCoatingOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    bool ok = false;
    const double value = parameters.value(QStringLiteral("Maximum Height")).toDouble(&ok);
    if (ok && std::isfinite(value))
        height->setValue(static_cast<int>(std::max(0.0, std::min(value, static_cast<double>(height->maximum())))));
    FilmOptionsDialog::presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
}

int SpinCoatingOptionsDialog::getHeight() const { return height->value(); }

quint32 SpinCoatingOptionsDialog::getMaterial() const { return material->currentData().toUInt(); }

void SpinCoatingOptionsDialog::applyTo(Core::Operations::SpinCoatingOperation &operation) const
{
    operation.setHeight(static_cast<uint32_t>(getHeight()));
    operation.setMaterial(getMaterial());
}

} // namespace Operations
} // namespace Ui
