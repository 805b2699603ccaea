#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Core {
namespace Operations {
class DopingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of simple doping: the doping depth and the dopant (the materials of catalogue
// process 13 except Si and Poly-Si).
class DopingOptionsDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    explicit DopingOptionsDialog(QWidget *parent = nullptr);

    // Hands the values to the operation.
    void applyTo(Core::Operations::DopingOperation &operation) const;
    // Sets the fields from process-list parameters ("Doping Depth"; the dopant by
    // "Deposited Material_Id" or "Doped Material_Id", else by the name in "Doped
    // Material"); absent keys leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters);

    QDoubleSpinBox *depthBox() const { return depth; }
    float getDepth() const;
    QComboBox *materialBox() const { return material; }
    quint32 getMaterial() const;

    // Selects the dopant of a doping step's parameters.
    static void presetDopant(QComboBox *combo, const QMap<QString, QVariant> &parameters);

private:
    QDoubleSpinBox *depth;
    QComboBox *material;
};

} // namespace Operations
} // namespace Ui
