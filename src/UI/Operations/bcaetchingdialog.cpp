#include "UI/Operations/bcaetchingdialog.h"

#include "Core/Operations/AtomisticSiWetEtching/atomisticsiwetetchingoperation.h"
#include "Core/Operations/ContinuousWetEtching/continouswetetchoperation.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

const QString BCAEtchingDialog::helpText = QStringLiteral(
    "Set the depth of the etching. This is how far down the (100) plane on the surface will be etched.");

BCAEtchingDialog::BCAEtchingDialog(QWidget *parent) : QDialog(parent)
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

double BCAEtchingDialog::getDepth() const { return depth->value(); }

void BCAEtchingDialog::preset(const QMap<QString, QVariant> &parameters)
{
    bool ok = false;
    const double value = parameters.value(QStringLiteral("Depth")).toDouble(&ok);
    if (ok)
        depth->setValue(value);
}

void BCAEtchingDialog::applyTo(Core::Operations::AtomisticSiWetEtchingOperation &operation) const
{
    operation.setParameters(getDepth());
}

void BCAEtchingDialog::applyTo(Core::Operations::ContinousWetEtchOperation &operation) const
{
    operation.setParameters(getDepth());
}

} // namespace Operations
} // namespace Ui
