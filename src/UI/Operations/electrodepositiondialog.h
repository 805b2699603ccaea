#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Core {
namespace Operations {
class ElectrodepositionOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of electroplating: the film thickness, the deposited material and the
// conducting material, each from every material of the catalogue.
class ElectrodepositionDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    // Hands the values to the operation.
    void applyTo(Core::Operations::ElectrodepositionOperation &operation) const;

    explicit ElectrodepositionDialog(QWidget *parent = nullptr);

    // Sets the fields from process-list parameters; absent keys leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters);

    QDoubleSpinBox *thicknessBox() const { return thickness; }
    float getThickness() const;
    QComboBox *depositedMaterialBox() const { return depositedMaterial; }
    quint32 getDepositedMaterial() const;
    QComboBox *conductingMaterialBox() const { return conductingMaterial; }
    quint32 getConductingMaterial() const;

private:
    QDoubleSpinBox *thickness;
    QComboBox *depositedMaterial;
    QComboBox *conductingMaterial;
};

} // namespace Operations
} // namespace Ui
