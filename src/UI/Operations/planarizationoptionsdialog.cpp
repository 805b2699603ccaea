#include "UI/Operations/planarizationoptionsdialog.h"

#include "Core/Processes/processregistry.h"

#include <QSpinBox>
#include <algorithm>

namespace Ui {
namespace Operations {

namespace {

const QString keyMinimum = QStringLiteral("Minimum Height");
const QString keyMaximum = QStringLiteral("Maximum Height");

} // namespace

PlanarizationOptionsDialog::PlanarizationOptionsDialog(uint32_t volumeHeight, QWidget *parent)
    : FilmOptionsDialog(parent)
{
    const Core::Processes::ProcessDescriptor &process = *Core::Processes::ProcessRegistry::instance().byBatchType(6);
    setWindowTitle(process.dialogTitle);
    const auto heightBox = [this, &process](const QString &key) {
        auto *box = static_cast<QSpinBox *>(addField(process, *process.field(key)));
        // The help is the box's what's-this text.
        box->setToolTip(QString());
        box->setWhatsThis(process.field(key)->help);
        return box;
    };
    minimum = heightBox(keyMinimum);
    maximum = heightBox(keyMaximum);
    // The bound follows the maximum once it is entered, not per keystroke: typing "12"
    // must not first squeeze the minimum down to 1 on the way.
    maximum->setKeyboardTracking(false);
    connect(maximum, QOverload<int>::of(&QSpinBox::valueChanged), this, &PlanarizationOptionsDialog::updateMinimumLimits);
    // The whole height: OK without a change removes nothing.
    maximum->setValue(static_cast<int>(std::min<uint32_t>(volumeHeight, static_cast<uint32_t>(maximum->maximum()))));
}

void PlanarizationOptionsDialog::updateMinimumLimits(int maximumHeight)
{
    minimum->setMaximum(maximumHeight);
}

void PlanarizationOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    // The maximum first: it bounds the minimum.
    QMap<QString, QVariant> only = parameters;
    only.remove(keyMinimum);
    FilmOptionsDialog::preset(only);
    only = parameters;
    only.remove(keyMaximum);
    FilmOptionsDialog::preset(only);
}

int PlanarizationOptionsDialog::getMinimumHeight() const { return minimum->value(); }

int PlanarizationOptionsDialog::getMaximumHeight() const { return maximum->value(); }

} // namespace Operations
} // namespace Ui
