#include "UI/Operations/planarizationoptionsdialog.h"

#include "Core/Operations/Planarization/planarizationoperation.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace Ui {
namespace Operations {

namespace {

QSpinBox *heightBox(const QString &help)
{
    auto *box = new QSpinBox;
    box->setRange(0, 999999999);
    box->setValue(0);
    box->setSuffix(QObject::tr(" cells"));
    box->setWhatsThis(help);
    return box;
}

void presetHeight(QSpinBox *box, const QMap<QString, QVariant> &parameters, const QString &key)
{
    bool ok = false;
    const double value = parameters.value(key).toDouble(&ok);
    if (ok && std::isfinite(value))
        box->setValue(static_cast<int>(std::max(0.0, std::min(value, static_cast<double>(box->maximum())))));
}

} // namespace

PlanarizationOptionsDialog::PlanarizationOptionsDialog(uint32_t volumeHeight, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Planarization Options"));
    minimum = heightBox(tr("All cells below this height will be removed."));
    maximum = heightBox(tr("All cells above this height will be removed."));
    // The bound follows the maximum once it is entered, not per keystroke: typing "12"
    // must not first squeeze the minimum down to 1 on the way.
    maximum->setKeyboardTracking(false);
    connect(maximum, QOverload<int>::of(&QSpinBox::valueChanged), this, &PlanarizationOptionsDialog::updateMinimumLimits);
    // The whole height: OK without a change removes nothing.
    maximum->setValue(static_cast<int>(std::min<uint32_t>(volumeHeight, static_cast<uint32_t>(maximum->maximum()))));

    auto *form = new QFormLayout;
    form->addRow(tr("Minimum Height"), minimum);
    form->addRow(tr("Maximum Height"), maximum);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PlanarizationOptionsDialog::updateMinimumLimits(int maximumHeight)
{
    minimum->setMaximum(maximumHeight);
}

void PlanarizationOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    // The maximum first: it bounds the minimum.
    presetHeight(maximum, parameters, QStringLiteral("Maximum Height"));
    presetHeight(minimum, parameters, QStringLiteral("Minimum Height"));
}

int PlanarizationOptionsDialog::getMinimumHeight() const { return minimum->value(); }

int PlanarizationOptionsDialog::getMaximumHeight() const { return maximum->value(); }

void PlanarizationOptionsDialog::applyTo(Core::Operations::PlanarizationOperation &operation) const
{
    operation.setMaximumHeight(static_cast<uint32_t>(getMaximumHeight()));
    operation.setMinimumHeight(static_cast<uint32_t>(getMinimumHeight()));
}

} // namespace Operations
} // namespace Ui
