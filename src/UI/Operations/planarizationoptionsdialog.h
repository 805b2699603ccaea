#pragma once

#include "UI/Operations/filmoptionsdialog.h"

#include <cstdint>

namespace Ui {
namespace Operations {

// Options of Planarization: the heights, in cells, below which and from which upwards
// every cell is removed. The minimum height never exceeds the maximum height.
class PlanarizationOptionsDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    // The maximum height starts at `volumeHeight`, the chosen volume's sizeZ, and the
    // minimum at 0, so that the defaults leave every cell.
    explicit PlanarizationOptionsDialog(uint32_t volumeHeight, QWidget *parent = nullptr);

    // Sets the fields from process-list parameters "Maximum Height" and "Minimum Height".
    void preset(const QMap<QString, QVariant> &parameters) override;

    int getMinimumHeight() const;
    int getMaximumHeight() const;

    QSpinBox *minimumBox() const { return minimum; }
    QSpinBox *maximumBox() const { return maximum; }

public slots:
    // The minimum height may go up to the new maximum height.
    void updateMinimumLimits(int maximumHeight);

private:
    QSpinBox *minimum;
    QSpinBox *maximum;
};

} // namespace Operations
} // namespace Ui
