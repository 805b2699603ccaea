#pragma once

#include "Core/Operations/Photolithography/mask.h"

#include <QGroupBox>
#include <QString>

class QLineEdit;
class QPushButton;

namespace Ui {
namespace Operations {

// One mask of an options dialog: the image file name, a chooser, "Apply" (reads the
// image named in the field and makes it the mask) and "Remove" (back to no mask). A
// file that cannot be read shows `failureText` in a warning box and keeps the mask.
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

    // Where the chooser opens: the folder of the last chosen mask, at first the home folder.
    static QString startDirectory();
    static const QString chooserCaption;
    static const QString chooserFilter;

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
    Core::Operations::Mask mask;
    QString maskFile;
};

} // namespace Operations
} // namespace Ui
