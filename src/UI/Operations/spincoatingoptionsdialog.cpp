#include "UI/Operations/spincoatingoptionsdialog.h"

#include "Core/Processes/processregistry.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <algorithm>
#include <climits>

namespace Ui {
namespace Operations {

SpinCoatingOptionsDialog::SpinCoatingOptionsDialog(uint32_t volumeHeight, QWidget *parent)
    : SpinCoatingOptionsDialog(volumeHeight, std::nullopt, parent)
{
}

SpinCoatingOptionsDialog::SpinCoatingOptionsDialog(uint32_t volumeHeight, std::optional<uint32_t> materialTop,
                                                   QWidget *parent)
    : FilmOptionsDialog(parent)
{
    const Core::Processes::ProcessDescriptor &process = *Core::Processes::ProcessRegistry::instance().byBatchType(9);
    setWindowTitle(process.dialogTitle);
    material = static_cast<QComboBox *>(addField(process, *process.field(QStringLiteral("Material"))));

    const Core::Processes::ParameterField &field = *process.field(QStringLiteral("Maximum Height"));
    height = new QSpinBox;
    height->setRange(static_cast<int>(field.minimum), static_cast<int>(std::min<uint32_t>(volumeHeight, INT_MAX)));
    // A pour up to the material's top fills no more than its cavities: the first height
    // that adds a layer is one cell above it.
    height->setValue(materialTop ? static_cast<int>(std::min<uint32_t>(*materialTop, INT_MAX - 1)) + 1
                                 : static_cast<int>(field.defaultValue));
    height->setSuffix(field.suffix());
    bindField(field, height);
    if (materialTop) {
        top = new QLabel(*materialTop == 0   ? tr("Top of the material: none, the volume is empty")
                         : *materialTop == 1 ? tr("Top of the material: 1 cell")
                                             : tr("Top of the material: %1 cells").arg(*materialTop));
        auto *row = new QHBoxLayout;
        row->addWidget(height, 1);
        row->addWidget(top);
        addRow(field.label, row, height);
    } else {
        addRow(field.label, height);
    }
}

int SpinCoatingOptionsDialog::getHeight() const { return height->value(); }

quint32 SpinCoatingOptionsDialog::getMaterial() const { return material->currentData().toUInt(); }

} // namespace Operations
} // namespace Ui
