#pragma once

#include "Core/Operations/Photolithography/mask.h"

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

class QComboBox;
class QPushButton;

namespace Ui {
namespace Operations {

class MaskFileBox;

// Options of photolithography: a top and a bottom mask image and the resist ("Select
// Film", every catalogue material). Applied and removed masks are announced at once,
// so the operation can show them on the volume while the dialog is open.
class PhotolithographyDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PhotolithographyDialog(QWidget *parent = nullptr);

    static const QString topFailureText;
    static const QString bottomFailureText;

    // From process-list parameters: a mask file with a non-zero width is put into its
    // field and applied; the material is chosen by its id, else by "Material".
    void preset(const QMap<QString, QVariant> &parameters);

    MaskFileBox *topBox() const { return top; }
    MaskFileBox *bottomBox() const { return bottom; }
    QComboBox *materialBox() const { return material; }
    QPushButton *okButton() const { return ok; }

    const Core::Operations::Mask &getTopMask() const;
    const Core::Operations::Mask &getBottomMask() const;
    QString getTopMaskFile() const;
    QString getBottomMaskFile() const;
    quint32 getMaterial() const;
    // The chosen volume's columns, for masks rasterised from a layout.
    void setColumnCounts(int sizeX, int sizeY);

signals:
    void topMaskChanged(const Core::Operations::Mask &mask);
    void bottomMaskChanged(const Core::Operations::Mask &mask);

private:
    MaskFileBox *top;
    MaskFileBox *bottom;
    QComboBox *material;
    QPushButton *ok;
};

} // namespace Operations
} // namespace Ui
