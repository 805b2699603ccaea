#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Core {
namespace Operations {
class IonImplantationOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of ion implantation: implantation depth, vertical spread, annealing distance
// and the dopant (the materials of catalogue process 15 except Si and Poly-Si).
class IonImplantationOptionsDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    explicit IonImplantationOptionsDialog(QWidget *parent = nullptr);

    // Hands the values to the operation.
    void applyTo(Core::Operations::IonImplantationOperation &operation) const;
    // Sets the fields from process-list parameters; absent keys leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters);

    QDoubleSpinBox *depthBox() const { return depth; }
    QDoubleSpinBox *spreadBox() const { return spread; }
    QDoubleSpinBox *annealingBox() const { return annealing; }
    QComboBox *materialBox() const { return material; }
    float getImplantationDepth() const;
    float getVerticalSpread() const;
    float getAnnealingDistance() const;
    quint32 getMaterial() const;

private:
    QDoubleSpinBox *depth;
    QDoubleSpinBox *spread;
    QDoubleSpinBox *annealing;
    QComboBox *material;
};

} // namespace Operations
} // namespace Ui
