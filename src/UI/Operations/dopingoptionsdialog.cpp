#include "UI/Operations/dopingoptionsdialog.h"

#include "Core/Processes/processregistry.h"

#include <QComboBox>
#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

namespace {

const QString keyDopant = QStringLiteral("Doped Material");

} // namespace

DopingOptionsDialog::DopingOptionsDialog(int32_t batchType, QWidget *parent)
    : FilmOptionsDialog(*Core::Processes::ProcessRegistry::instance().byBatchType(batchType), parent)
{
}

DopingOptionsDialog::DopingOptionsDialog(QWidget *parent) : DopingOptionsDialog(8, parent) {}

void DopingOptionsDialog::presetDopant(QComboBox *combo, const QMap<QString, QVariant> &parameters)
{
    const QString deposited = QStringLiteral("Deposited Material_Id");
    if (parameters.contains(deposited))
        presetMaterial(combo, parameters, deposited, keyDopant);
    else
        presetMaterial(combo, parameters, keyDopant + QStringLiteral("_Id"), keyDopant);
}

void DopingOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    // The dopant by its own rule: the deposited material comes first.
    QMap<QString, QVariant> lengths = parameters;
    lengths.remove(keyDopant);
    lengths.remove(keyDopant + QStringLiteral("_Id"));
    FilmOptionsDialog::preset(lengths);
    presetDopant(materialBox(), parameters);
}

QDoubleSpinBox *DopingOptionsDialog::depthBox() const { return numberBox(QStringLiteral("Doping Depth")); }
float DopingOptionsDialog::getDepth() const { return static_cast<float>(depthBox()->value()); }
QComboBox *DopingOptionsDialog::materialBox() const { return materialBox(keyDopant); }
quint32 DopingOptionsDialog::getMaterial() const { return materialBox()->currentData().toUInt(); }

} // namespace Operations
} // namespace Ui
