#include "UI/Operations/ionimplantationoptionsdialog.h"

#include "Core/Operations/DopingOperation/ionimplantationoperation.h"
#include "UI/Operations/dopingoptionsdialog.h"

#include <QComboBox>
#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

IonImplantationOptionsDialog::IonImplantationOptionsDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(processTitle(15));
    depth = addLength(tr("Implantation Depth"));
    depth->setValue(50.0);
    depth->setToolTip(tr("Depth of the implanted band's centre below the top surface."));
    spread = addLength(tr("Vertical Spread"));
    spread->setValue(20.0);
    spread->setToolTip(tr("How far the implanted band reaches above and below its centre."));
    annealing = addLength(tr("Annealing Distance"));
    annealing->setToolTip(tr("How far the dopant spreads from the implanted band while annealing."));
    material = addDopantList(tr("Doped Material"), 15);
}

void IonImplantationOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    presetNumber(depth, parameters, QStringLiteral("Implantation Depth"));
    presetNumber(spread, parameters, QStringLiteral("Vertical Spread"));
    presetNumber(annealing, parameters, QStringLiteral("Annealing Distance"));
    DopingOptionsDialog::presetDopant(material, parameters);
}

float IonImplantationOptionsDialog::getImplantationDepth() const { return static_cast<float>(depth->value()); }
float IonImplantationOptionsDialog::getVerticalSpread() const { return static_cast<float>(spread->value()); }
float IonImplantationOptionsDialog::getAnnealingDistance() const { return static_cast<float>(annealing->value()); }
quint32 IonImplantationOptionsDialog::getMaterial() const { return material->currentData().toUInt(); }

void IonImplantationOptionsDialog::applyTo(Core::Operations::IonImplantationOperation &operation) const
{
    operation.setMaterial(getMaterial());
    operation.setImplantationDepth(getImplantationDepth());
    operation.setVerticalSpread(getVerticalSpread());
    operation.setAnnealingDistance(getAnnealingDistance());
}

} // namespace Operations
} // namespace Ui
