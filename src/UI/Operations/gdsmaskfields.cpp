#include "UI/Operations/gdsmaskfields.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>

namespace Ui {
namespace Operations {

GdsMaskFields::GdsMaskFields(QWidget *parent) : QWidget(parent)
{
    auto *form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    layer = new QSpinBox;
    layer->setRange(0, 65535);
    layer->setValue(1);
    datatype = new QSpinBox;
    datatype->setRange(-1, 65535);
    datatype->setValue(-1);
    datatype->setToolTip(tr("-1 draws every datatype of the layer"));
    topCell = new QLineEdit;
    topCell->setPlaceholderText(tr("All top-level structures"));
    scale = new QDoubleSpinBox;
    scale->setDecimals(4);
    scale->setRange(0.0001, Core::Operations::GdsMask::maxCellsPerMicron);
    scale->setValue(1.0);
    offsetX = new QDoubleSpinBox;
    offsetY = new QDoubleSpinBox;
    for (QDoubleSpinBox *offset : {offsetX, offsetY}) {
        offset->setDecimals(2);
        offset->setRange(-1.0e7, 1.0e7);
        offset->setValue(0.0);
    }
    auto *offsets = new QHBoxLayout;
    offsets->addWidget(offsetX);
    offsets->addWidget(offsetY);
    form->addRow(tr("Layer"), layer);
    form->addRow(tr("Datatype"), datatype);
    form->addRow(tr("Top cell"), topCell);
    form->addRow(tr("Scale (cells per micron)"), scale);
    form->addRow(tr("Offset x, y (cells)"), offsets);
}

Core::Operations::GdsMaskPlacement GdsMaskFields::placement() const
{
    Core::Operations::GdsMaskPlacement p;
    p.layer = layer->value();
    p.datatype = datatype->value();
    p.topCell = topCell->text().trimmed();
    p.cellsPerMicron = scale->value();
    p.offsetX = offsetX->value();
    p.offsetY = offsetY->value();
    return p;
}

void GdsMaskFields::setPlacement(const Core::Operations::GdsMaskPlacement &p)
{
    layer->setValue(p.layer);
    datatype->setValue(p.datatype);
    topCell->setText(p.topCell);
    scale->setValue(p.cellsPerMicron);
    offsetX->setValue(p.offsetX);
    offsetY->setValue(p.offsetY);
}

} // namespace Operations
} // namespace Ui
