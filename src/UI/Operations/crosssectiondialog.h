#pragma once

#include "Core/Operations/CrossSection/crosssectionimage.h"

#include <QDialog>
#include <array>
#include <cstdint>

class QComboBox;
class QLabel;
class QSpinBox;

namespace Ui {
namespace Operations {

// Where "Save Cross-Section" cuts: the axis across which the cut lies and the cell index
// along it, limited to the volume's cells. Opens on the middle of y, a side view through
// the middle of the volume.
class CrossSectionDialog : public QDialog
{
    Q_OBJECT
public:
    // `cells`: the volume's number of cells along x, y and z.
    explicit CrossSectionDialog(const std::array<uint32_t, 3> &cells, QWidget *parent = nullptr);

    Core::Operations::SectionPlane plane() const;

    QComboBox *axisBox() const { return axis; }
    QSpinBox *indexBox() const { return index; }
    QLabel *rangeLabel() const { return range; }

private:
    void axisChanged();

    std::array<uint32_t, 3> cells;
    QComboBox *axis;
    QSpinBox *index;
    QLabel *range;
};

} // namespace Operations
} // namespace Ui
