#pragma once

#include "Core/Operations/SimplePhysicalVaporDeposition/depositon.h"
#include "UI/Operations/filmoptionsdialog.h"

#include <cstddef>

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

    // "On Top", "On Bottom", "On Top and Bottom".
    static QString sideText(Core::Operations::DepositOn side);

    QDoubleSpinBox *thicknessBox() const { return thickness; }
    QDoubleSpinBox *ratioBox() const { return ratio; }
    QComboBox *materialBox() const { return material; }
    using FilmOptionsDialog::materialBox;
    QRadioButton *sideButton(Core::Operations::DepositOn side) const { return sides[indexOf(side)]; }
    float getThickness() const;
    float getRatio() const;
    Core::Operations::DepositOn getSide() const;
    quint32 getMaterial() const;

private:
    void setSide(Core::Operations::DepositOn side);
    // The buttons are in the order of depositOnSides.
    static size_t indexOf(Core::Operations::DepositOn side);

    QDoubleSpinBox *thickness;
    QDoubleSpinBox *ratio;
    QRadioButton *sides[3];
    QComboBox *material;
};

} // namespace Operations
} // namespace Ui
