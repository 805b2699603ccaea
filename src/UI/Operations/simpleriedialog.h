#pragma once

#include "Core/Operations/SimpleReactiveIonEtching/etchdirections.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace Core {
namespace Operations {
class SimpleReactiveIonEtchingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Options of Simple RIE: the etch depth in cell layers, the etched material and the
// faces the etch starts from.
class SimpleRIEDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SimpleRIEDialog(QWidget *parent = nullptr);

    // Sets the fields from process-list parameters: "Etch Depth", the material by
    // "Material_Id" or "Material", the faces by "EtchDirectionValue".
    void preset(const QMap<QString, QVariant> &parameters);
    void applyTo(Core::Operations::SimpleReactiveIonEtchingOperation &operation) const;

    int getDepth() const;
    quint32 getMaterial() const;
    // Bit 1: from the top, bit 2: from below.
    Core::Operations::EtchDirections getDirections() const;

    QSpinBox *depthBox() const { return depth; }
    QComboBox *materialBox() const { return material; }
    QCheckBox *fromTopBox() const { return fromTop; }
    QCheckBox *fromBelowBox() const { return fromBelow; }
    QPushButton *okButtonWidget() const { return okButton; }

private:
    QSpinBox *depth;
    QComboBox *material;
    QCheckBox *fromTop;
    QCheckBox *fromBelow;
    QPushButton *okButton;
};

} // namespace Operations
} // namespace Ui
