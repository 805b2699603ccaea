#include "UI/Operations/isotropicetchingdialog.h"

#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetchingoperation.h"

#include <QComboBox>
#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

IsotropicEtchingDialog::IsotropicEtchingDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(processTitle(10));
    depth = addLength(tr("Etch Depth"));
    material = addMaterialList(tr("Material"), processMaterials(10));
}

void IsotropicEtchingDialog::preset(const QMap<QString, QVariant> &parameters)
{
    presetNumber(depth, parameters, QStringLiteral("Depth"));
    presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
}

float IsotropicEtchingDialog::getDepth() const { return static_cast<float>(depth->value()); }
quint32 IsotropicEtchingDialog::getMaterial() const { return material->currentData().toUInt(); }

void IsotropicEtchingDialog::applyTo(Core::Operations::IsotropicFilmEtchingOperation &operation) const
{
    operation.setDepth(getDepth());
    operation.setMaterial(getMaterial());
}

} // namespace Operations
} // namespace Ui
