#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QSpinBox;

namespace Ui {
namespace Operations {

// Options of gluing two volumes: the final size (x and y fixed by the larger volume,
// z at least the stacked height), the top's displacement within the size difference,
// and whether the top is turned over.
class GlueSubstrateDialog : public QDialog
{
    Q_OBJECT
public:
    GlueSubstrateDialog(uint32_t finalX, uint32_t finalY, uint32_t stackedHeight, uint32_t finalZ,
                        int32_t maximumShiftX, int32_t maximumShiftY, QWidget *parent = nullptr);

    uint32_t getFinalX() const;
    uint32_t getFinalY() const;
    uint32_t getFinalZ() const;
    int32_t getShiftX() const;
    int32_t getShiftY() const;
    bool getFlipTop() const;

    QSpinBox *sizeBox(int axis) const { return sizes[axis]; }
    QSpinBox *shiftBox(int axis) const { return shifts[axis]; }
    QCheckBox *flipBox() const { return flip; }

private:
    QSpinBox *sizes[3];
    QSpinBox *shifts[2];
    QCheckBox *flip;
};

} // namespace Operations
} // namespace Ui
