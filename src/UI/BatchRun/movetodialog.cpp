#include "UI/BatchRun/movetodialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace UtilDialog {

MoveTo::MoveTo(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Dialog"));
    targets = new QComboBox(this);
    afterChoice = new QRadioButton(QStringLiteral("After"), this);
    beforeChoice = new QRadioButton(QStringLiteral("Before"), this);
    afterChoice->setChecked(true);

    auto *choices = new QHBoxLayout;
    choices->addWidget(afterChoice);
    choices->addWidget(beforeChoice);
    choices->addStretch();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Move the selected step"), this));
    layout->addLayout(choices);
    layout->addWidget(targets);
    layout->addWidget(buttons);
}

void MoveTo::addTarget(const QString &text, const QVariant &data) { targets->addItem(text, data); }

QVariant MoveTo::target() const { return targets->currentData(); }

bool MoveTo::after() const { return afterChoice->isChecked(); }

} // namespace UtilDialog
