#include "UI/Operations/wetetchdialog.h"

#include "Core/Operations/AtomisticWetEtching/atomisticwetetchoperation.h"
#include "Core/Operations/ContinuousWetEtching/continuouswetetchoperation.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

const QString WetEtchDialog::helpText = QStringLiteral(
    "Set the depth of the etching. This is how far down the (100) plane on the surface will be etched.");

WetEtchDialog::WetEtchDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BCAEtchingBaseDialog"));
    setWindowTitle(tr("Wet Etching Options"));

    label = new QLabel(tr("Etch Depth"));
    depth = new QDoubleSpinBox;
    depth->setObjectName(QStringLiteral("depth"));
    depth->setDecimals(4);
    depth->setMaximum(1e9);
    // About one monolayer of a (100) surface (0.35) per arrow click.
    depth->setSingleStep(0.353552);
    depth->setValue(10.0);
    depth->setSuffix(tr(" units"));
    label->setBuddy(depth);
    for (QWidget *w : {static_cast<QWidget *>(label), static_cast<QWidget *>(depth)}) {
        w->setToolTip(helpText);
        w->setStatusTip(helpText);
        w->setWhatsThis(helpText);
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

void WetEtchDialog::applyTo(Core::Operations::AtomisticWetEtchOperation &operation) const
{
    operation.setParameters(getDepth());
}

void WetEtchDialog::applyTo(Core::Operations::ContinuousWetEtchOperation &operation) const
{
    operation.setParameters(getDepth());
}

} // namespace Operations
} // namespace Ui
