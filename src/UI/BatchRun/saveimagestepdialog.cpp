#include "UI/BatchRun/saveimagestepdialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {

// The same caption and filter as the main window's own "Save Image".
const QString SaveImageStepDialog::chooserCaption = QStringLiteral("Save Screen Image");
const QString SaveImageStepDialog::chooserFilter = QStringLiteral("Images (*.png *.xpm *.jpg)");

SaveImageStepDialog::SaveImageStepDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Save Image Options"));
    auto *layout = new QVBoxLayout(this);

    auto *label = new QLabel(tr("Image file"));
    fileName = new QLineEdit;
    fileName->setMinimumWidth(300);
    fileName->setPlaceholderText(tr("No file: redraw the view only"));
    label->setBuddy(fileName);
    browser = new QPushButton(tr("Browse..."));
    browser->setAutoDefault(false);
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(fileName, 1);
    row->addWidget(browser);
    layout->addLayout(row);

    auto *hint = new QLabel(tr("The view is saved as this image when the step runs. Without a file name the "
                               "step redraws the view and saves nothing."));
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(browser, &QPushButton::clicked, this, &SaveImageStepDialog::browse);
}

void SaveImageStepDialog::preset(const QMap<QString, QVariant> &parameters)
{
    const QString key = QStringLiteral("Filename");
    if (parameters.contains(key))
        fileName->setText(parameters.value(key).toString());
}

QString SaveImageStepDialog::getFileName() const { return fileName->text().trimmed(); }

void SaveImageStepDialog::browse()
{
    const QString current = getFileName();
    const QString start = current.isEmpty() ? QDir::homePath() : QFileInfo(current).absoluteFilePath();
    const QString chosen = QFileDialog::getSaveFileName(this, chooserCaption, start, chooserFilter);
    if (!chosen.isEmpty())
        fileName->setText(QDir::toNativeSeparators(chosen));
}

} // namespace Ui
