#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Core {
namespace Operations {
class AnisotropicFilmDepositionOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of anisotropic deposition: film thickness, horizontal-to-vertical ratio and
// the deposited material (catalogue process 16).
class AnisotropicDepositionDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    // Hands the values to the operation.
    void applyTo(Core::Operations::AnisotropicFilmDepositionOperation &operation) const;

    explicit AnisotropicDepositionDialog(QWidget *parent = nullptr);

    // Sets the fields from process-list parameters; absent keys leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters);

    QDoubleSpinBox *thicknessBox() const { return thickness; }
    float getThickness() const;
    QDoubleSpinBox *ratioBox() const { return ratio; }
    float getRatio() const;
    QComboBox *materialBox() const { return material; }
    quint32 getMaterial() const;

private:
    QDoubleSpinBox *thickness;
    QDoubleSpinBox *ratio;
    QComboBox *material;
};

} // namespace Operations
} // namespace Ui
