#pragma once

#include "Core/Operations/SimplePhysicalVaporDeposition/depositon.h"
#include "UI/Operations/filmoptionsdialog.h"

#include <cstddef>

class QRadioButton;

namespace Core {
namespace Operations {
class SimplePhysicalVaporDepositionOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of physical vapour deposition: film thickness, horizontal-to-vertical ratio,
// the side deposited on and the material (catalogue process 4).
class PVDOptionsDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    // Hands the values to the operation.
    void applyTo(Core::Operations::SimplePhysicalVaporDepositionOperation &operation) const;

    explicit PVDOptionsDialog(QWidget *parent = nullptr);

    // Sets the fields from process-list parameters; absent keys leave them as they are.
    // The side comes from "DepositOn", or else from the "Deposit On" text.
    void preset(const QMap<QString, QVariant> &parameters);

    // "On Top", "On Bottom", "On Top and Bottom".
    static QString sideText(Core::Operations::DepositOn side);

    QDoubleSpinBox *thicknessBox() const { return thickness; }
    QDoubleSpinBox *ratioBox() const { return ratio; }
    QComboBox *materialBox() const { return material; }
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
