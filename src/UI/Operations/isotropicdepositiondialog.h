#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Core {
namespace Operations {
class IsotropicFilmDepositionOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of isotropic deposition (menu "Isotropic Deposition" and "CVD"): the film
// thickness and the deposited material, from the materials of the given catalogue process.
class IsotropicDepositionDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    // Hands the values to the operation.
    void applyTo(Core::Operations::IsotropicFilmDepositionOperation &operation) const;

    explicit IsotropicDepositionDialog(int processId, QWidget *parent = nullptr);

    // Sets the fields from process-list parameters; absent keys leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters);

    QDoubleSpinBox *thicknessBox() const { return thickness; }
    float getThickness() const;
    QComboBox *materialBox() const { return material; }
    quint32 getMaterial() const;

private:
    QDoubleSpinBox *thickness;
    QComboBox *material;
};

} // namespace Operations
} // namespace Ui
