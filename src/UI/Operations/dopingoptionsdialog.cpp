#include "UI/Operations/dopingoptionsdialog.h"

#include "Core/Operations/DopingOperation/dopingoperation.h"

#include <QComboBox>
#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

DopingOptionsDialog::DopingOptionsDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    setWindowTitle(processTitle(13));
    depth = addLength(tr("Doping Depth"), 4);
    depth->setToolTip(tr("Cells of a dopable material within this distance of the surface take the dopant."));
    material = addDopantList(tr("Doped Material"), 13);
}

void DopingOptionsDialog::presetDopant(QComboBox *combo, const QMap<QString, QVariant> &parameters)
{
    const QString deposited = QStringLiteral("Deposited Material_Id");
    const QString name = QStringLiteral("Doped Material");
    if (parameters.contains(deposited))
        presetMaterial(combo, parameters, deposited, name);
    else
        presetMaterial(combo, parameters, QStringLiteral("Doped Material_Id"), name);
}

void DopingOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    presetNumber(depth, parameters, QStringLiteral("Doping Depth"));
    presetDopant(material, parameters);
}

float DopingOptionsDialog::getDepth() const { return static_cast<float>(depth->value()); }
quint32 DopingOptionsDialog::getMaterial() const { return material->currentData().toUInt(); }

void DopingOptionsDialog::applyTo(Core::Operations::DopingOperation &operation) const
{
    operation.setDepth(getDepth());
    operation.setMaterial(getMaterial());
}

} // namespace Operations
} // namespace Ui
