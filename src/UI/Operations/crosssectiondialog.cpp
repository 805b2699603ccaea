#include "UI/Operations/crosssectiondialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace Ui {
namespace Operations {

namespace {

int largestIndex(uint32_t count)
{
    return static_cast<int>(std::min<uint32_t>(count, static_cast<uint32_t>(std::numeric_limits<int>::max())) - 1);
}

} // namespace

CrossSectionDialog::CrossSectionDialog(const std::array<uint32_t, 3> &cells, QWidget *parent)
    : QDialog(parent), cells(cells)
{
    setObjectName(QStringLiteral("CrossSectionForm"));
    setWindowTitle(tr("Save Cross-Section"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    axis = new QComboBox;
    axis->setObjectName(QStringLiteral("axisBox"));
    axis->addItem(tr("x (side view: y across, z up)"), 0);
    axis->addItem(tr("y (side view: x across, z up)"), 1);
    axis->addItem(tr("z (top view: x across, y up)"), 2);
    form->addRow(tr("Cut across"), axis);

    index = new QSpinBox;
    index->setObjectName(QStringLiteral("indexBox"));
    form->addRow(tr("At cell"), index);
    range = new QLabel;
    form->addRow(QString(), range);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Save ..."));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(axis, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CrossSectionDialog::axisChanged);

    axis->setCurrentIndex(1);
    axisChanged();
    index->setValue(static_cast<int>(cells[1] / 2));
}

void CrossSectionDialog::axisChanged()
{
    const int a = axis->currentData().toInt();
    index->setRange(0, largestIndex(cells[static_cast<size_t>(a)]));
    range->setText(tr("%1 runs from cell 0 to cell %2").arg(QStringLiteral("xyz").at(a)).arg(index->maximum()));
}

Core::Operations::SectionPlane CrossSectionDialog::plane() const
{
    Core::Operations::SectionPlane p;
    p.axis = axis->currentData().toInt();
    p.index = static_cast<uint32_t>(index->value());
    return p;
}

} // namespace Operations
} // namespace Ui
