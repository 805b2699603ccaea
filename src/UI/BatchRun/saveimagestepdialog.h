#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <QVariant>

class QLineEdit;
class QPushButton;

namespace Ui {

// The options of a "Save Image" step of a process list: the file the view is saved to
// when the step runs. An empty name is allowed: the step then only redraws the view.
class SaveImageStepDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SaveImageStepDialog(QWidget *parent = nullptr);

    // Sets the name from a step's "Filename"; an absent key leaves it as it is.
    void preset(const QMap<QString, QVariant> &parameters);
    // The name as typed, without surrounding blanks.
    QString getFileName() const;

    QLineEdit *fileNameEdit() const { return fileName; }
    QPushButton *browseButton() const { return browser; }

    static const QString chooserCaption; // "Save Screen Image"
    static const QString chooserFilter;  // "Images (*.png *.xpm *.jpg)"

public slots:
    // Asks for the image file, starting at the current name or in the home folder.
    void browse();

private:
    QLineEdit *fileName;
    QPushButton *browser;
};

} // namespace Ui
