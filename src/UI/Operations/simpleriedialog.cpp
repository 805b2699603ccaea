#include "UI/Operations/simpleriedialog.h"

#include "Core/Processes/processregistry.h"
#include "Util/enumnumbers.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

namespace Ui {
namespace Operations {

namespace {

const QString keyDirections = QStringLiteral("EtchDirectionValue");

} // namespace

SimpleRIEDialog::SimpleRIEDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    const Core::Processes::ProcessDescriptor &process = *Core::Processes::ProcessRegistry::instance().byBatchType(13);
    setWindowTitle(process.dialogTitle);
    setFixedSize(400, 280);
    depth = static_cast<QSpinBox *>(addField(process, *process.field(QStringLiteral("Etch Depth"))));
    material = static_cast<QComboBox *>(addField(process, *process.field(QStringLiteral("Material"))));
    fromTop = new QCheckBox(tr("Etch from top"));
    fromBelow = new QCheckBox(tr("Etch from below"));
    const auto directions = static_cast<uint32_t>(process.field(keyDirections)->defaultValue);
    fromTop->setChecked((directions & 1) != 0);
    fromBelow->setChecked((directions & 2) != 0);
    addRow(fromTop);
    addRow(fromBelow);
    // The buttons stay at the foot of the fixed-size dialog.
    if (auto *column = qobject_cast<QBoxLayout *>(layout()))
        column->insertStretch(1);
}

void SimpleRIEDialog::writeValues(Core::Processes::ParameterSet &values) const
{
    FilmOptionsDialog::writeValues(values);
    values.set(keyDirections, static_cast<uint>(getDirections()));
}

void SimpleRIEDialog::preset(const QMap<QString, QVariant> &parameters)
{
    FilmOptionsDialog::preset(parameters);
    const QVariant direction = parameters.value(keyDirections);
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

} // namespace Operations
} // namespace Ui
