#include "UI/Operations/maskfilebox.h"


#include "Core/Operations/Photolithography/gdsmask.h"
#include "UI/Operations/gdsmaskfields.h"
#include "UI/busycursor.h"
#include "UI/rememberedfolder.h"

#include <QApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>

namespace Ui {
namespace Operations {

namespace {

RememberedFolder chooserFolder;

} // namespace

const QString MaskFileBox::chooserCaption = QStringLiteral("Choose Mask File");
const QString MaskFileBox::chooserFilter = QStringLiteral("Image Files (*.png *.jpg *.bmp)");
const QString MaskFileBox::layoutFilter = QStringLiteral("GDSII Layouts (*.gds *.gds2 *.gdsii)");

MaskFileBox::MaskFileBox(const QString &title, const QString &failureText, QWidget *parent)
    : QGroupBox(title, parent), failureText(failureText)
{
    auto *rows = new QVBoxLayout(this);
    auto *fileRow = new QHBoxLayout;
    rows->addLayout(fileRow);
    field = new QLineEdit;
    field->setMinimumWidth(240);
    field->setPlaceholderText(tr("Mask image or GDSII layout file"));
    chooser = new QPushButton(tr("..."));
    chooser->setToolTip(chooserCaption);
    applier = new QPushButton(tr("Apply"));
    remover = new QPushButton(tr("Remove"));
    applier->setAutoDefault(false);
    remover->setAutoDefault(false);
    chooser->setAutoDefault(false);
    fileRow->addWidget(field, 1);
    fileRow->addWidget(chooser);
    fileRow->addWidget(applier);
    fileRow->addWidget(remover);
    layout = new GdsMaskFields;
    layout->setVisible(false);
    rows->addWidget(layout);
    connect(field, &QLineEdit::textChanged, this,
            [this](const QString &text) { layout->setVisible(Core::Operations::GdsLayout::isLayoutFile(text)); });
    connect(chooser, &QPushButton::clicked, this, &MaskFileBox::choose);
    connect(applier, &QPushButton::clicked, this, &MaskFileBox::apply);
    connect(remover, &QPushButton::clicked, this, &MaskFileBox::remove);
    field->installEventFilter(this);
    for (QWidget *entry :
         std::initializer_list<QWidget *>{layout->layerBox(), layout->datatypeBox(), layout->topCellField(),
                                          layout->scaleBox(), layout->offsetXBox(), layout->offsetYBox()})
        entry->installEventFilter(this);
}

void MaskFileBox::setColumnCounts(int sizeX, int sizeY)
{
    columnsX = std::max(sizeX, 0);
    columnsY = std::max(sizeY, 0);
}

bool MaskFileBox::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the file field or a layout field applies the file instead of accepting
    // the dialog.
    const bool entry = watched == field || (watched->isWidgetType() && layout->isAncestorOf(static_cast<QWidget *>(watched)));
    if (entry && event->type() == QEvent::KeyPress) {
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
    return chooserFolder.folder();
}

bool MaskFileBox::apply()
{
    const QString fileName = field->text().trimmed();
    Core::Operations::Mask read;
    if (Core::Operations::GdsLayout::isLayoutFile(fileName)) {
        QString reason;
        bool rasterised = false;
        {
            // A large layout takes a moment to flatten and rasterise.
            const BusyCursor busy;
            rasterised =
                Core::Operations::GdsMask::fromFile(fileName, layout->placement(), columnsX, columnsY, &read, &reason);
        }
        if (!rasterised) {
            QMessageBox::warning(this, title(), reason);
            return false;
        }
    } else if (!Core::Operations::Mask::fromFile(fileName, &read)) {
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
    const QString fileName = QFileDialog::getOpenFileName(this, chooserCaption, startDirectory(),
                                                          chooserFilter + QStringLiteral(";;") + layoutFilter);
    if (fileName.isEmpty())
        return;
    chooserFolder.rememberFileOf(fileName);
    field->setText(QDir::toNativeSeparators(fileName));
}

} // namespace Operations
} // namespace Ui
