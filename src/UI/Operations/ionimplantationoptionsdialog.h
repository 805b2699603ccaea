#pragma once

#include "UI/Operations/dopingoptionsdialog.h"

namespace Ui {
namespace Operations {

// Options of ion implantation: implantation depth, vertical spread, annealing distance
// and the dopant (the materials of catalogue process 15 except Si and Poly-Si), as its
// descriptor has them.
class IonImplantationOptionsDialog : public DopingOptionsDialog
{
    Q_OBJECT
public:
    explicit IonImplantationOptionsDialog(QWidget *parent = nullptr);

    QDoubleSpinBox *depthBox() const;
    QDoubleSpinBox *spreadBox() const;
    QDoubleSpinBox *annealingBox() const;
    float getImplantationDepth() const;
    float getVerticalSpread() const;
    float getAnnealingDistance() const;
};

} // namespace Operations
} // namespace Ui
