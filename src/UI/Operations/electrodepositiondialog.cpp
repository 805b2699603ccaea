#include "UI/Operations/electrodepositiondialog.h"

#include "Core/Operations/Electrodeposition/electrodepositionoperation.h"

#include <QComboBox>
#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

ElectrodepositionDialog::ElectrodepositionDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(tr("Electroplating Options"));
    thickness = addLength(tr("Film thickness"));
    depositedMaterial = addMaterialList(tr("Material"), allMaterials());
    conductingMaterial = addMaterialList(tr("Conducting Material"), allMaterials());
}

void ElectrodepositionDialog::preset(const QMap<QString, QVariant> &parameters)
{
    presetNumber(thickness, parameters, QStringLiteral("Film Thickness"));
    presetMaterial(depositedMaterial, parameters, QStringLiteral("Deposited Material_Id"), QStringLiteral("Deposited Material"));
    presetMaterial(conductingMaterial, parameters, QStringLiteral("Conducting Material_Id"), QStringLiteral("Conducting Material"));
}

float ElectrodepositionDialog::getThickness() const { return static_cast<float>(thickness->value()); }
quint32 ElectrodepositionDialog::getDepositedMaterial() const { return depositedMaterial->currentData().toUInt(); }
quint32 ElectrodepositionDialog::getConductingMaterial() const { return conductingMaterial->currentData().toUInt(); }

void ElectrodepositionDialog::applyTo(Core::Operations::ElectrodepositionOperation &operation) const
{
    operation.setThickness(getThickness());
    operation.setConductingMaterial(getConductingMaterial());
    operation.setDepositedMaterial(getDepositedMaterial());
}

} // namespace Operations
} // namespace Ui
