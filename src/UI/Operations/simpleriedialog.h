#pragma once

#include "Core/Operations/SimpleReactiveIonEtching/etchdirections.h"
#include "UI/Operations/filmoptionsdialog.h"

#include <cstdint>

class QCheckBox;

namespace Ui {
namespace Operations {

// Options of Simple RIE: the etch depth in cell layers, the etched material and the
// faces the etch starts from, a check box each ("EtchDirectionValue": bit 1 from the
// top, bit 2 from below).
class SimpleRIEDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    explicit SimpleRIEDialog(QWidget *parent = nullptr);

    void writeValues(Core::Processes::ParameterSet &values) const override;
    // Sets the fields from process-list parameters: "Etch Depth", the material by
    // its id or its name, the faces by "EtchDirectionValue".
    void preset(const QMap<QString, QVariant> &parameters) override;

    int getDepth() const;
    quint32 getMaterial() const;
    // Bit 1: from the top, bit 2: from below.
    Core::Operations::EtchDirections getDirections() const;

    QSpinBox *depthBox() const { return depth; }
    QComboBox *materialBox() const { return material; }
    using FilmOptionsDialog::materialBox;
    QCheckBox *fromTopBox() const { return fromTop; }
    QCheckBox *fromBelowBox() const { return fromBelow; }

private:
    QSpinBox *depth;
    QComboBox *material;
    QCheckBox *fromTop;
    QCheckBox *fromBelow;
};

} // namespace Operations
} // namespace Ui
