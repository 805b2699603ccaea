#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Core {
namespace Operations {
class IsotropicFilmEtchingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of isotropic etching: the etch depth and the etched material (catalogue
// process 10).
class IsotropicEtchingDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    // Hands the values to the operation.
    void applyTo(Core::Operations::IsotropicFilmEtchingOperation &operation) const;

    explicit IsotropicEtchingDialog(QWidget *parent = nullptr);

    // Sets the fields from process-list parameters; absent keys leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters);

    QDoubleSpinBox *depthBox() const { return depth; }
    float getDepth() const;
    QComboBox *materialBox() const { return material; }
    quint32 getMaterial() const;

private:
    QDoubleSpinBox *depth;
    QComboBox *material;
};

} // namespace Operations
} // namespace Ui
