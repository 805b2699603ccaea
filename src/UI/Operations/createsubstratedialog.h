#pragma once

#include "Core/Operations/CreateSubstrate/substrateparameters.h"

#include <QDialog>
#include <QMap>
#include <QVariant>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace Core {
namespace Operations {
class CreateSubstrateOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of Create Substrate: the volume's size and position, a block or a ball of
// substrate inside it, and the material.
class CreateSubstrateDialog : public QDialog
{
    Q_OBJECT
public:
    // Hands the values to the operation.
    void applyTo(Core::Operations::CreateSubstrateOperation &operation) const;

    explicit CreateSubstrateDialog(QWidget *parent = nullptr);

    // Sets the controls from process-list parameters (keys that are absent stay).
    void preset(const QMap<QString, QVariant> &parameters);
    // The values of the controls.
    Core::Operations::SubstrateParameters parameters() const;

    QSpinBox *volumeSize(int axis) const { return volumeSizes[axis]; }
    QSpinBox *substrateSize(int axis) const { return substrateSizes[axis]; }
    QSpinBox *delta(int axis) const { return deltas[axis]; }
    QSpinBox *centre(int axis) const { return centres[axis]; }
    QSpinBox *radiusBox() const { return radius; }
    QDoubleSpinBox *corner(int axis) const { return corners[axis]; }
    QCheckBox *sphericalBox() const { return spherical; }
    QComboBox *materialBox() const { return material; }

public slots:
    void updateLimitX(int value);
    void updateLimitY(int value);
    void updateLimitZ(int value);
    void updateSubstrateDispX(int value);
    void updateSubstrateDispY(int value);
    void updateSubstrateDispZ(int value);
    void toggleSubsShape(bool sphericalOn);

private:
    void updateLimitXY(int axis, int value);
    void updateDisplacement(int axis, int value);

    QSpinBox *volumeSizes[3];
    QDoubleSpinBox *corners[3];
    QSpinBox *substrateSizes[3];
    QSpinBox *deltas[3];
    QSpinBox *centres[3];
    QSpinBox *radius;
    QCheckBox *spherical;
    QComboBox *material;
    QList<QWidget *> rectangularWidgets;
    QList<QWidget *> sphericalWidgets;
};

} // namespace Operations
} // namespace Ui
