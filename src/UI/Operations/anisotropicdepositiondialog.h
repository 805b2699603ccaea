#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Ui {
namespace Operations {

// Options of anisotropic deposition: film thickness, horizontal-to-vertical ratio and
// the deposited material (catalogue process 16).
class AnisotropicDepositionDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
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
