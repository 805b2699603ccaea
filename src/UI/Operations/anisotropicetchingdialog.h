#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Core {
namespace Operations {
class AnisotropicFilmEtchingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of anisotropic etching: etch depth, horizontal-to-vertical ratio and the
// etched material (catalogue process 17).
class AnisotropicEtchingDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    // Hands the values to the operation.
    void applyTo(Core::Operations::AnisotropicFilmEtchingOperation &operation) const;

    explicit AnisotropicEtchingDialog(QWidget *parent = nullptr);

    // Sets the fields from process-list parameters; absent keys leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters);

    QDoubleSpinBox *depthBox() const { return depth; }
    float getDepth() const;
    QDoubleSpinBox *ratioBox() const { return ratio; }
    float getRatio() const;
    QComboBox *materialBox() const { return material; }
    quint32 getMaterial() const;

private:
    QDoubleSpinBox *depth;
    QDoubleSpinBox *ratio;
    QComboBox *material;
};

} // namespace Operations
} // namespace Ui
