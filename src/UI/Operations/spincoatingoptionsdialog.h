#pragma once

#include "UI/Operations/filmoptionsdialog.h"

#include <cstdint>
#include <optional>

class QLabel;

namespace Ui {
namespace Operations {

// Options of Spin Coating ("Pour Material"): the material and the height, in cells, up
// to which the empty cells are filled; the height reaches at most the top of the volume.
class SpinCoatingOptionsDialog : public FilmOptionsDialog
{
    Q_OBJECT
public:
    // `volumeHeight` is the chosen volume's sizeZ (0 when no volume is chosen); the
    // height starts at 0.
    explicit SpinCoatingOptionsDialog(uint32_t volumeHeight, QWidget *parent = nullptr);
    // For a chosen volume whose material reaches up to `materialTop` cells (1 + the z of
    // its highest filled cell, 0 when it is empty): the top is shown beside the height,
    // which starts one cell above it, within the volume.
    SpinCoatingOptionsDialog(uint32_t volumeHeight, std::optional<uint32_t> materialTop, QWidget *parent = nullptr);

    int getHeight() const;
    quint32 getMaterial() const;

    QComboBox *materialBox() const { return material; }
    using FilmOptionsDialog::materialBox;
    QSpinBox *heightBox() const { return height; }
    // The material's top beside the height; none without a chosen volume.
    QLabel *topLabel() const { return top; }

private:
    QComboBox *material;
    QSpinBox *height;
    QLabel *top = nullptr;
};

} // namespace Operations
} // namespace Ui
