#include "UI/Operations/wetetchdialog.h"

#include "Core/Processes/processregistry.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {

// Both etches describe their depth alike; the atomistic etch's field stands for both.
const Core::Processes::ParameterField &depthField()
{
    return *Core::Processes::ProcessRegistry::instance().byBatchType(1)->field(QStringLiteral("Depth"));
}

} // namespace

WetEtchDialog::WetEtchDialog(QWidget *parent) : ProcessDialog(parent)
{
    const Core::Processes::ParameterField &field = depthField();
    setObjectName(QStringLiteral("BCAEtchingBaseDialog"));
    setWindowTitle(Core::Processes::ProcessRegistry::instance().byBatchType(1)->dialogTitle);

    label = new QLabel(field.label);
    depth = new QDoubleSpinBox;
    depth->setObjectName(QStringLiteral("depth"));
    depth->setDecimals(field.decimals);
    depth->setRange(field.minimum, field.maximum);
    // About one monolayer of a (100) surface (0.35) per arrow click.
    depth->setSingleStep(0.353552);
    depth->setValue(field.defaultValue);
    depth->setSuffix(field.suffix());
    label->setBuddy(depth);
    for (QWidget *w : {static_cast<QWidget *>(label), static_cast<QWidget *>(depth)}) {
        w->setToolTip(field.help);
        w->setStatusTip(field.help);
        w->setWhatsThis(field.help);
    }

    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(depth, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

double WetEtchDialog::getDepth() const { return depth->value(); }

void WetEtchDialog::preset(const QMap<QString, QVariant> &parameters)
{
    bool ok = false;
    const double value = parameters.value(QStringLiteral("Depth")).toDouble(&ok);
    if (ok)
        depth->setValue(value);
}

void WetEtchDialog::writeValues(Core::Processes::ParameterSet &values) const
{
    values.set(QStringLiteral("Depth"), getDepth());
}

} // namespace Operations
} // namespace Ui
