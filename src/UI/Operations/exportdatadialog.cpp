#include "UI/Operations/exportdatadialog.h"
#include "UI/rememberedfolder.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {

// Set by the first accepted export.
RememberedFolder chooserFolder;

} // namespace

const QString ExportDataDialog::chooserCaption = QStringLiteral("Choose Output File");
const QString ExportDataDialog::chooserFilter = QStringLiteral("CSV File (*.csv)");

ExportDataDialog::ExportDataDialog(const QStringList &dataNames, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportDataForm"));
    setWindowTitle(tr("Dialog"));
    auto *layout = new QVBoxLayout(this);

    auto *listLabel = new QLabel(tr("Data to Export"));
    list = new QListWidget;
    list->setObjectName(QStringLiteral("listWidget"));
    listLabel->setBuddy(list);
    for (const QString &name : dataNames) {
        auto *item = new QListWidgetItem(name, list);
        item->setData(Qt::UserRole, name);
    }
    if (list->count() > 0)
        list->setCurrentRow(0);
    layout->addWidget(listLabel);
    layout->addWidget(list);

    auto *fileLabel = new QLabel(tr("Output filename"));
    edit = new QLineEdit(lastExportDirectory() + QDir::separator() + QStringLiteral("output.csv"));
    edit->setObjectName(QStringLiteral("lineEdit"));
    edit->setMinimumWidth(320);
    fileLabel->setBuddy(edit);
    browse = new QPushButton(tr("..."));
    browse->setObjectName(QStringLiteral("pushButton"));
    browse->setToolTip(chooserCaption);
    browse->setAutoDefault(false);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(edit, 1);
    fileRow->addWidget(browse);
    layout->addWidget(fileLabel);
    layout->addLayout(fileRow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(this, &QDialog::accepted, this, &ExportDataDialog::onAccepted);
    connect(browse, &QPushButton::clicked, this, &ExportDataDialog::on_pushButton_clicked);
}

QString ExportDataDialog::fileName() const { return edit->text(); }

QString ExportDataDialog::dataName() const
{
    const QListWidgetItem *item = list->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

QString ExportDataDialog::lastExportDirectory()
{
    return chooserFolder.folder();
}

void ExportDataDialog::onAccepted()
{
    if (!fileName().isEmpty())
        chooserFolder.rememberFileOf(fileName());
}

void ExportDataDialog::on_pushButton_clicked()
{
    const QString chosen = QFileDialog::getSaveFileName(this, chooserCaption, lastExportDirectory(), chooserFilter);
    if (!chosen.isEmpty())
        edit->setText(QDir::toNativeSeparators(chosen));
}

} // namespace Operations
} // namespace Ui
