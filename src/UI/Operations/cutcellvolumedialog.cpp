#include "UI/Operations/cutcellvolumedialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace Ui {
namespace Operations {

namespace {

// A limit field and its slider over one range, each driving the other.
QHBoxLayout *limitRow(int minimum, int maximum, int value, const QString &help, QSpinBox **box, QSlider **slider)
{
    *box = new QSpinBox;
    *slider = new QSlider(Qt::Horizontal);
    (*box)->setRange(minimum, maximum);
    // A typed limit takes effect once entered: on the way to "80" the upper limit must
    // not pass through 8 and push the lower one down.
    (*box)->setKeyboardTracking(false);
    (*slider)->setRange(minimum, maximum);
    (*box)->setValue(value);
    (*slider)->setValue((*box)->value());
    (*box)->setToolTip(help);
    (*box)->setWhatsThis(help);
    (*slider)->setToolTip(help);
    (*box)->setMinimumWidth(90);
    (*slider)->setMinimumWidth(160);
    QObject::connect(*box, QOverload<int>::of(&QSpinBox::valueChanged), *slider, &QSlider::setValue);
    QObject::connect(*slider, &QSlider::valueChanged, *box, &QSpinBox::setValue);
    auto *row = new QHBoxLayout;
    row->addWidget(*box);
    row->addWidget(*slider, 1);
    return row;
}

} // namespace

CutCellVolumeDialog::CutCellVolumeDialog(const Corner &sizes, const Corner &lower, const Corner &upper,
                                         QWidget *parent)
    : QDialog(parent), sizes(sizes)
{
    setWindowTitle(tr("Cut Cell Volume"));
    setModal(true);

    const QString groups[3] = {tr("X Axis Limits"), tr("Y Axis Limits"), tr("Z Axis Limits")};
    const QString lowerHelp[3] = {tr("Lower X cutoff limit."), tr("Lower Y cutoff limit."),
                                  tr("Lower Z cuttoff limit")};
    const QString upperHelp[3] = {tr("Upper X cutoff limit."), tr("Upper Y cutoff limit."),
                                  tr("Upper Z cutoff limit.")};
    auto *layout = new QVBoxLayout(this);
    for (int axis = 0; axis < 3; ++axis) {
        const int size = std::max(1, sizes[axis]);
        auto *group = new QGroupBox(groups[axis]);
        auto *form = new QFormLayout(group);
        form->addRow(tr("Lower Limit"),
                     limitRow(0, size - 1, lower[axis], lowerHelp[axis], &lowers[axis], &lowerSliders[axis]));
        form->addRow(tr("Upper Limit"),
                     limitRow(1, size, upper[axis], upperHelp[axis], &uppers[axis], &upperSliders[axis]));
        layout->addWidget(group);
        connect(lowers[axis], QOverload<int>::of(&QSpinBox::valueChanged), this,
                [this, axis](int value) { lowerChanged(axis, value); });
        connect(uppers[axis], QOverload<int>::of(&QSpinBox::valueChanged), this,
                [this, axis](int value) { upperChanged(axis, value); });
        // A box handed in with the lower limit at or above the upper one is put right.
        lowerChanged(axis, lowers[axis]->value());
    }

    reset = new QPushButton(tr("Reset"));
    reset->setAutoDefault(false);
    reset->setToolTip(tr("Reset to original values."));
    reset->setWhatsThis(tr("Reset to original values."));
    connect(reset, &QPushButton::clicked, this, &CutCellVolumeDialog::resetLimits);
    preview = new QCheckBox(tr("Preview"));
    preview->setChecked(false);
    preview->setToolTip(tr("Check to preview changes, it might be slow for large structures."));
    preview->setWhatsThis(tr("Check to preview changes, it might be slow for large structures."));
    connect(preview, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            announce();
    });
    auto *tools = new QHBoxLayout;
    tools->addWidget(reset);
    tools->addStretch(1);
    tools->addWidget(preview);
    layout->addLayout(tools);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CutCellVolumeDialog::lowerChanged(int axis, int value)
{
    if (value >= uppers[axis]->value())
        uppers[axis]->setValue(value + 1);
    announce();
}

void CutCellVolumeDialog::upperChanged(int axis, int value)
{
    if (value <= lowers[axis]->value())
        lowers[axis]->setValue(value - 1);
    announce();
}

void CutCellVolumeDialog::announce()
{
    if (preview && preview->isChecked())
        emit cutBoxChanged();
}

void CutCellVolumeDialog::resetLimits()
{
    // Lower limits first: 0 is below every upper limit, so nothing is pushed along.
    for (int axis = 0; axis < 3; ++axis)
        lowers[axis]->setValue(0);
    for (int axis = 0; axis < 3; ++axis)
        uppers[axis]->setValue(uppers[axis]->maximum());
}

CutCellVolumeDialog::Corner CutCellVolumeDialog::getLower() const
{
    return {lowers[0]->value(), lowers[1]->value(), lowers[2]->value()};
}

CutCellVolumeDialog::Corner CutCellVolumeDialog::getUpper() const
{
    return {uppers[0]->value(), uppers[1]->value(), uppers[2]->value()};
}

bool CutCellVolumeDialog::isPreviewOn() const { return preview->isChecked(); }

} // namespace Operations
} // namespace Ui
