#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;
class QPushButton;
class QSlider;
class QSpinBox;

namespace Ui {
namespace Operations {

// The box of cells a volume shows, [lower, upper) per axis, each limit as a number
// field with a slider that follows it. A lower limit never reaches its upper limit:
// raising one past the other moves the other along. With "Preview" checked every change
// is announced at once (cutBoxChanged).
class CutCellVolumeDialog : public QDialog
{
    Q_OBJECT
public:
    using Corner = std::array<int32_t, 3>;

    CutCellVolumeDialog(const Corner &sizes, const Corner &lower, const Corner &upper, QWidget *parent = nullptr);

    Corner getLower() const;
    Corner getUpper() const;
    bool isPreviewOn() const;

    QSpinBox *lowerBox(int axis) const { return lowers[axis]; }
    QSpinBox *upperBox(int axis) const { return uppers[axis]; }
    QSlider *lowerSlider(int axis) const { return lowerSliders[axis]; }
    QSlider *upperSlider(int axis) const { return upperSliders[axis]; }
    QPushButton *resetButton() const { return reset; }
    QCheckBox *previewBox() const { return preview; }

public slots:
    // Every lower limit to 0, every upper limit to the volume's size.
    void resetLimits();

signals:
    // The box changed while "Preview" is checked (or "Preview" was just checked).
    void cutBoxChanged();

private:
    void lowerChanged(int axis, int value);
    void upperChanged(int axis, int value);
    void announce();

    Corner sizes;
    QSpinBox *lowers[3];
    QSpinBox *uppers[3];
    QSlider *lowerSliders[3];
    QSlider *upperSliders[3];
    QPushButton *reset = nullptr;
    QCheckBox *preview = nullptr;
};

} // namespace Operations
} // namespace Ui
