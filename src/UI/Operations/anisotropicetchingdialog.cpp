#include "UI/Operations/anisotropicetchingdialog.h"

#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetchingoperation.h"

#include <QComboBox>
#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

AnisotropicEtchingDialog::AnisotropicEtchingDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(processTitle(17));
    depth = addLength(tr("Etch Depth"));
    ratio = addRatio(0.0);
    material = addMaterialList(tr("Material"), processMaterials(17));
}

void AnisotropicEtchingDialog::preset(const QMap<QString, QVariant> &parameters)
{
    presetNumber(depth, parameters, QStringLiteral("Etch Depth"));
    presetNumber(ratio, parameters, QStringLiteral("Horizontal to Vertical Ratio"));
    presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
}

float AnisotropicEtchingDialog::getDepth() const { return static_cast<float>(depth->value()); }
float AnisotropicEtchingDialog::getRatio() const { return static_cast<float>(ratio->value()); }
quint32 AnisotropicEtchingDialog::getMaterial() const { return material->currentData().toUInt(); }

void AnisotropicEtchingDialog::applyTo(Core::Operations::AnisotropicFilmEtchingOperation &operation) const
{
    operation.setDepth(getDepth());
    operation.setRatio(getRatio());
    operation.setMaterial(getMaterial());
}

} // namespace Operations
} // namespace Ui
