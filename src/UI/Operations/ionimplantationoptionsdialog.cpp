#include "UI/Operations/ionimplantationoptionsdialog.h"

#include <QDoubleSpinBox>

namespace Ui {
namespace Operations {

IonImplantationOptionsDialog::IonImplantationOptionsDialog(QWidget *parent) : DopingOptionsDialog(14, parent) {}

QDoubleSpinBox *IonImplantationOptionsDialog::depthBox() const { return numberBox(QStringLiteral("Implantation Depth")); }
QDoubleSpinBox *IonImplantationOptionsDialog::spreadBox() const { return numberBox(QStringLiteral("Vertical Spread")); }
QDoubleSpinBox *IonImplantationOptionsDialog::annealingBox() const { return numberBox(QStringLiteral("Annealing Distance")); }
float IonImplantationOptionsDialog::getImplantationDepth() const { return static_cast<float>(depthBox()->value()); }
float IonImplantationOptionsDialog::getVerticalSpread() const { return static_cast<float>(spreadBox()->value()); }
float IonImplantationOptionsDialog::getAnnealingDistance() const { return static_cast<float>(annealingBox()->value()); }

} // namespace Operations
} // namespace Ui
