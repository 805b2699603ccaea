#pragma once

#include "Core/Operations/Photolithography/gdsmask.h"

#include <QWidget>

class QDoubleSpinBox;
class QLineEdit;
class QSpinBox;

namespace Ui {
namespace Operations {

// Where a GDSII layout's layer lands on the volume: the layer and datatype (-1: every
// datatype of the layer), an optional top cell,
// the scale in cells per micron and the offset in cells. A mask box shows these while
// its file is a layout.
class GdsMaskFields : public QWidget
{
    Q_OBJECT
public:
    explicit GdsMaskFields(QWidget *parent = nullptr);

    Core::Operations::GdsMaskPlacement placement() const;
    // Shows a placement (a process-list step's), each value within its field's range.
    void setPlacement(const Core::Operations::GdsMaskPlacement &placement);

    QSpinBox *layerBox() const { return layer; }
    QSpinBox *datatypeBox() const { return datatype; }
    QLineEdit *topCellField() const { return topCell; }
    QDoubleSpinBox *scaleBox() const { return scale; }
    QDoubleSpinBox *offsetXBox() const { return offsetX; }
    QDoubleSpinBox *offsetYBox() const { return offsetY; }

private:
    QSpinBox *layer;
    QSpinBox *datatype;
    QLineEdit *topCell;
    QDoubleSpinBox *scale;
    QDoubleSpinBox *offsetX;
    QDoubleSpinBox *offsetY;
};

} // namespace Operations
} // namespace Ui
