#pragma once

#include "Core/Operations/Photolithography/mask.h"

#include <QDialog>

class QPushButton;

namespace Ui {
namespace Operations {

class MaskFileBox;

// Options of the masked cut: the top-down cut mask. Applied and removed masks are
// announced at once, so the operation can show them above the volume.
class MaskedCutOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MaskedCutOptionsDialog(QWidget *parent = nullptr);

    MaskFileBox *maskBox() const { return box; }
    QPushButton *okButton() const { return ok; }
    const Core::Operations::Mask &getMask() const;
    // The chosen volume's columns, for masks rasterised from a layout.
    void setColumnCounts(int sizeX, int sizeY);

signals:
    void maskChanged(const Core::Operations::Mask &mask);

private:
    MaskFileBox *box;
    QPushButton *ok;
};

} // namespace Operations
} // namespace Ui
