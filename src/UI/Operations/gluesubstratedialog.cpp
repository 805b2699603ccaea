#include "UI/Operations/gluesubstratedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace Ui {
namespace Operations {

namespace {

constexpr int largestSize = 999999999;

int clampToInt(int64_t value) { return int(std::max<int64_t>(0, std::min<int64_t>(value, largestSize))); }

QSpinBox *cellBox(int64_t minimum, int64_t maximum, int64_t value, const QString &help)
{
    auto *box = new QSpinBox;
    box->setRange(clampToInt(minimum), clampToInt(std::max(minimum, maximum)));
    box->setValue(clampToInt(value));
    box->setSuffix(QObject::tr(" cells"));
    box->setToolTip(help);
    box->setWhatsThis(help);
    return box;
}

} // namespace

GlueSubstrateDialog::GlueSubstrateDialog(uint32_t finalX, uint32_t finalY, uint32_t stackedHeight, uint32_t finalZ,
                                         int32_t maximumShiftX, int32_t maximumShiftY, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Glue Substrate"));
    setModal(true);

    const QString sizeHelp = tr("This determines the final volume size.");
    const QString heightHelp = tr("If you wish to continue etching/depositing films on top of the result, you "
                                  "should increase the Z size accordingly.");
    sizes[0] = cellBox(finalX, largestSize, finalX, sizeHelp);
    sizes[1] = cellBox(finalY, largestSize, finalY, sizeHelp);
    sizes[2] = cellBox(stackedHeight, largestSize, finalZ, sizeHelp + " " + heightHelp);
    // The larger volume fixes x and y.
    sizes[0]->setEnabled(false);
    sizes[1]->setEnabled(false);
    auto *sizeGroup = new QGroupBox(tr("Final Volume Size"));
    sizeGroup->setToolTip(sizeHelp);
    sizeGroup->setWhatsThis(sizeHelp);
    auto *sizeForm = new QFormLayout(sizeGroup);
    sizeForm->addRow(tr("X"), sizes[0]);
    sizeForm->addRow(tr("Y"), sizes[1]);
    sizeForm->addRow(tr("Z"), sizes[2]);

    const QString shiftHelp =
        tr("Allows you to move the top substrate around if it is smaller than the bottom substrate.");
    shifts[0] = cellBox(0, maximumShiftX, 0, shiftHelp);
    shifts[1] = cellBox(0, maximumShiftY, 0, shiftHelp);
    auto *shiftGroup = new QGroupBox(tr("Top Substrate Displacement"));
    shiftGroup->setToolTip(shiftHelp);
    shiftGroup->setWhatsThis(shiftHelp);
    auto *shiftForm = new QFormLayout(shiftGroup);
    shiftForm->addRow(tr("X"), shifts[0]);
    shiftForm->addRow(tr("Y"), shifts[1]);

    flip = new QCheckBox(tr("Invert Top Substrate"));
    flip->setToolTip(tr("Flips the top substrate around the Y axis."));
    flip->setWhatsThis(tr("Flips the top substrate around the Y axis. The top substrate is turned upside down "
                          "before it is glued, so its upper surface faces the base: its highest layer rests on "
                          "the base and its X direction is reversed."));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(sizeGroup);
    layout->addWidget(shiftGroup);
    layout->addWidget(flip);
    layout->addWidget(buttons);
}

uint32_t GlueSubstrateDialog::getFinalX() const { return uint32_t(sizes[0]->value()); }
uint32_t GlueSubstrateDialog::getFinalY() const { return uint32_t(sizes[1]->value()); }
uint32_t GlueSubstrateDialog::getFinalZ() const { return uint32_t(sizes[2]->value()); }
int32_t GlueSubstrateDialog::getShiftX() const { return shifts[0]->value(); }
int32_t GlueSubstrateDialog::getShiftY() const { return shifts[1]->value(); }
bool GlueSubstrateDialog::getFlipTop() const { return flip->isChecked(); }

} // namespace Operations
} // namespace Ui
