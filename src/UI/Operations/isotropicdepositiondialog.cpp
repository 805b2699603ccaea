#include "UI/Operations/isotropicdepositiondialog.h"

#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdepositionoperation.h"

#include <QComboBox>
#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

IsotropicDepositionDialog::IsotropicDepositionDialog(int processId, QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(tr("Isotropic Film Deposition"));
    thickness = addLength(tr("Film thickness"));
    material = addMaterialList(tr("Material"), processMaterials(processId));
}

void IsotropicDepositionDialog::preset(const QMap<QString, QVariant> &parameters)
{
    // CVD steps store the thickness as "Thickness", isotropic deposition steps as
    // "Film Thickness".
    const QString key = QStringLiteral("Thickness");
    presetNumber(thickness, parameters, parameters.contains(key) ? key : QStringLiteral("Film Thickness"));
    presetMaterial(material, parameters, QStringLiteral("Material_Id"), QStringLiteral("Material"));
}

float IsotropicDepositionDialog::getThickness() const { return static_cast<float>(thickness->value()); }
quint32 IsotropicDepositionDialog::getMaterial() const { return material->currentData().toUInt(); }

void IsotropicDepositionDialog::applyTo(Core::Operations::IsotropicFilmDepositionOperation &operation) const
{
    operation.setThickness(getThickness());
    operation.setMaterial(getMaterial());
}

} // namespace Operations
} // namespace Ui
