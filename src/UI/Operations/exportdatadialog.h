#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace Ui {
namespace Operations {

// Options of "Export Data": which of the volume's data fields to write and where. The
// directory of the last accepted file is offered again for the rest of the run.
class ExportDataDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ExportDataDialog(const QStringList &dataNames, QWidget *parent = nullptr);

    // The text of the file-name field.
    QString fileName() const;
    // The chosen entry's name; empty when the list offers none.
    QString dataName() const;

    QListWidget *dataList() const { return list; }
    QLineEdit *fileNameEdit() const { return edit; }
    QPushButton *browseButton() const { return browse; }

    // Where the next export is offered: the user's home folder until a dialog is accepted.
    static QString lastExportDirectory();

    static const QString chooserCaption;
    static const QString chooserFilter;

public slots:
    void onAccepted();
    void on_pushButton_clicked();

private:
    QListWidget *list;
    QLineEdit *edit;
    QPushButton *browse;
};

} // namespace Operations
} // namespace Ui
