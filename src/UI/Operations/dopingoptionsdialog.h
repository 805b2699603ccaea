#pragma once

#include "UI/Operations/filmoptionsdialog.h"

namespace Ui {
namespace Operations {

// Options of simple doping: the doping depth and the dopant (the materials of catalogue
// process 13 except Si and Poly-Si), as its descriptor has them.
class DopingOptionsDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    explicit DopingOptionsDialog(QWidget *parent = nullptr);

    // Sets the fields from process-list parameters ("Doping Depth"; the dopant by
    // "Deposited Material_Id" or "Doped Material_Id", else by the name in "Doped
    // Material"); absent keys leave them as they are.
    void preset(const QMap<QString, QVariant> &parameters) override;

    QDoubleSpinBox *depthBox() const;
    float getDepth() const;
    QComboBox *materialBox() const;
    using FilmOptionsDialog::materialBox;
    quint32 getMaterial() const;

    // Selects the dopant of a doping step's parameters.
    static void presetDopant(QComboBox *combo, const QMap<QString, QVariant> &parameters);

protected:
    // The form of a doping process's descriptor.
    DopingOptionsDialog(int32_t batchType, QWidget *parent);
};

} // namespace Operations
} // namespace Ui
