#include "UI/Operations/maskedcutoptionsdialog.h"

#include "UI/Operations/maskfilebox.h"
#include "UI/Operations/photolithographydialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

MaskedCutOptionsDialog::MaskedCutOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Masked Cell Cut Options"));
    auto *layout = new QVBoxLayout(this);
    box = new MaskFileBox(tr("Top Down Cut Mask"), PhotolithographyDialog::topFailureText);
    layout->addWidget(box);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(box, &MaskFileBox::maskChanged, this, &MaskedCutOptionsDialog::maskChanged);
}

const Core::Operations::Mask &MaskedCutOptionsDialog::getMask() const { return box->getMask(); }
void MaskedCutOptionsDialog::setColumnCounts(int sizeX, int sizeY) { box->setColumnCounts(sizeX, sizeY); }

} // namespace Operations
} // namespace Ui
