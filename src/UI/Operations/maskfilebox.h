#pragma once

#include "Core/Operations/Photolithography/mask.h"

#include <QGroupBox>
#include <QString>

class QLineEdit;
class QPushButton;

namespace Ui {
namespace Operations {

class GdsMaskFields;

// One mask of an options dialog: the image file name, a chooser, "Apply" (reads the
// image named in the field and makes it the mask) and "Remove" (back to no mask). A
// file that cannot be read shows `failureText` in a warning box and keeps the mask.
// A GDSII layout (.gds, .gds2, .gdsii) in the field shows the layout's fields, and
// Apply rasterises the chosen layer onto the volume's columns; a layout that cannot be
// rasterised shows why and keeps the mask.
class MaskFileBox : public QGroupBox
{
    Q_OBJECT
public:
    MaskFileBox(const QString &title, const QString &failureText, QWidget *parent = nullptr);

    const Core::Operations::Mask &getMask() const { return mask; }
    // The file the current mask was read from; empty without a mask.
    QString getMaskFile() const { return maskFile; }
    QLineEdit *fileField() const { return field; }
    QPushButton *chooseButton() const { return chooser; }
    QPushButton *applyButton() const { return applier; }
    QPushButton *removeButton() const { return remover; }
    GdsMaskFields *layoutFields() const { return layout; }

    // The columns of the volume the mask is for; a layout is rasterised onto exactly
    // these. Unknown (0) rasterises from the origin to the layout's far corner.
    void setColumnCounts(int sizeX, int sizeY);

    // Where the chooser opens: the folder of the last chosen mask, at first the home folder.
    static QString startDirectory();
    static const QString chooserCaption;
    static const QString chooserFilter;
    static const QString layoutFilter;

public slots:
    // True when the mask was read.
    bool apply();
    void remove();
    void choose();

signals:
    void maskChanged(const Core::Operations::Mask &mask);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString failureText;
    QLineEdit *field;
    QPushButton *chooser;
    QPushButton *applier;
    QPushButton *remover;
    GdsMaskFields *layout;
    Core::Operations::Mask mask;
    QString maskFile;
    int columnsX = 0;
    int columnsY = 0;
};

} // namespace Operations
} // namespace Ui
