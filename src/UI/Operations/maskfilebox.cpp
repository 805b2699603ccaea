#include "UI/Operations/maskfilebox.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace Ui {
namespace Operations {

namespace {

QString &rememberedDirectory()
{
    static QString directory;
    return directory;
}

} // namespace

const QString MaskFileBox::chooserCaption = QStringLiteral("Choose Mask File");
const QString MaskFileBox::chooserFilter = QStringLiteral("Image Files (*.png *.jpg *.bmp)");

MaskFileBox::MaskFileBox(const QString &title, const QString &failureText, QWidget *parent)
    : QGroupBox(title, parent), failureText(failureText)
{
    auto *layout = new QHBoxLayout(this);
    field = new QLineEdit;
    field->setMinimumWidth(240);
    field->setPlaceholderText(tr("Mask image file"));
    chooser = new QPushButton(tr("..."));
    chooser->setToolTip(chooserCaption);
    applier = new QPushButton(tr("Apply"));
    remover = new QPushButton(tr("Remove"));
    applier->setAutoDefault(false);
    remover->setAutoDefault(false);
    chooser->setAutoDefault(false);
    layout->addWidget(field, 1);
    layout->addWidget(chooser);
    layout->addWidget(applier);
    layout->addWidget(remover);
    connect(chooser, &QPushButton::clicked, this, &MaskFileBox::choose);
    connect(applier, &QPushButton::clicked, this, &MaskFileBox::apply);
    connect(remover, &QPushButton::clicked, this, &MaskFileBox::remove);
    field->installEventFilter(this);
}

bool MaskFileBox::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the file field applies that file instead of accepting the dialog.
    if (watched == field && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            apply();
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

QString MaskFileBox::startDirectory()
{
    const QString &directory = rememberedDirectory();
    return directory.isEmpty() ? QDir::homePath() : directory;
}

bool MaskFileBox::apply()
{
    const QString fileName = field->text().trimmed();
    Core::Operations::Mask read;
    if (!Core::Operations::Mask::fromFile(fileName, &read)) {
        QMessageBox::warning(this, title(), failureText);
        return false;
    }
    mask = std::move(read);
    maskFile = fileName;
    emit maskChanged(mask);
    return true;
}

void MaskFileBox::remove()
{
    mask = Core::Operations::Mask();
    maskFile.clear();
    field->clear();
    emit maskChanged(mask);
}

void MaskFileBox::choose()
{
    const QString fileName = QFileDialog::getOpenFileName(this, chooserCaption, startDirectory(), chooserFilter);
    if (fileName.isEmpty())
        return;
    rememberedDirectory() = QFileInfo(fileName).absolutePath();
    field->setText(QDir::toNativeSeparators(fileName));
}

} // namespace Operations
} // namespace Ui
