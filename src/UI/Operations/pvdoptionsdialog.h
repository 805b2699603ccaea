#pragma once

#include "UI/Operations/filmoptionsdialog.h"

class QRadioButton;

namespace Ui {
namespace Operations {

// Options of physical vapour deposition: film thickness, horizontal-to-vertical ratio,
// the side deposited on (a group of radio buttons) and the material.
class PVDOptionsDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    explicit PVDOptionsDialog(QWidget *parent = nullptr);

    void writeValues(Core::Processes::ParameterSet &values) const override;
    // Sets the fields from process-list parameters; absent keys leave them as they are.
    // The side comes from "DepositOn", or else from the "Deposit On" text.
    void preset(const QMap<QString, QVariant> &parameters) override;

    // "On Top" (1), "On Bottom" (2), "On Top and Bottom" (3); empty for other codes.
    static QString sideText(int side);

    QDoubleSpinBox *thicknessBox() const { return thickness; }
    QDoubleSpinBox *ratioBox() const { return ratio; }
    QComboBox *materialBox() const { return material; }
    using FilmOptionsDialog::materialBox;
    QRadioButton *sideButton(int side) const { return sides[side >= 1 && side <= 3 ? side - 1 : 0]; }
    float getThickness() const;
    float getRatio() const;
    // 1 top, 2 bottom, 3 both.
    int getSide() const;
    quint32 getMaterial() const;

private:
    void setSide(int side);

    QDoubleSpinBox *thickness;
    QDoubleSpinBox *ratio;
    QRadioButton *sides[3];
    QComboBox *material;
};

} // namespace Operations
} // namespace Ui
