#include "UI/Operations/anisotropicdepositiondialog.h"

#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdepositionoperation.h"

#include <QComboBox>
#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

AnisotropicDepositionDialog::AnisotropicDepositionDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(processTitle(16));
    thickness = addLength(tr("Film thickness"));
    ratio = addRatio(0.0);
    material = addMaterialList(tr("Material"), processMaterials(16));
}

void AnisotropicDepositionDialog::preset(const QMap<QString, QVariant> &parameters)
{
    presetNumber(thickness, parameters, QStringLiteral("Film Thickness"));
    presetNumber(ratio, parameters, QStringLiteral("Horizontal to Vertical Ratio"));
    presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
}

float AnisotropicDepositionDialog::getThickness() const { return static_cast<float>(thickness->value()); }
float AnisotropicDepositionDialog::getRatio() const { return static_cast<float>(ratio->value()); }
quint32 AnisotropicDepositionDialog::getMaterial() const { return material->currentData().toUInt(); }

void AnisotropicDepositionDialog::applyTo(Core::Operations::AnisotropicFilmDepositionOperation &operation) const
{
    operation.setThickness(getThickness());
    operation.setRatio(getRatio());
    operation.setMaterial(getMaterial());
}

} // namespace Operations
} // namespace Ui
