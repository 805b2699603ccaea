#include "UI/Operations/pvdoptionsdialog.h"

#include "Core/Processes/processregistry.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

namespace {

const Core::Processes::ProcessDescriptor &pvd() { return *Core::Processes::ProcessRegistry::instance().byBatchType(12); }

const QString keySide = QStringLiteral("DepositOn");

} // namespace

PVDOptionsDialog::PVDOptionsDialog(QWidget *parent) : FilmOptionsDialog(parent)
{
    const Core::Processes::ProcessDescriptor &process = pvd();
    setWindowTitle(processTitle(process.catalogueId));
    thickness = static_cast<QDoubleSpinBox *>(addField(process, *process.field(QStringLiteral("Thickness"))));
    ratio = static_cast<QDoubleSpinBox *>(
        addField(process, *process.field(QStringLiteral("Horizontal to Vertical Ratio"))));

    auto *group = new QGroupBox(process.field(keySide)->label);
    auto *column = new QVBoxLayout(group);
    auto *buttons = new QButtonGroup(this);
    const char *const labels[3] = {"Deposit on top", "Deposit on bottom", "Deposit on both sides"};
    for (int i = 0; i < 3; ++i) {
        sides[i] = new QRadioButton(tr(labels[i]));
        buttons->addButton(sides[i], i + 1);
        column->addWidget(sides[i]);
    }
    setSide(static_cast<int>(process.field(keySide)->defaultValue));
    addRow(group);

    material = static_cast<QComboBox *>(addField(process, *process.field(QStringLiteral("Material"))));
}

QString PVDOptionsDialog::sideText(int side) { return Core::Processes::pvdSideText(side); }

void PVDOptionsDialog::setSide(int side)
{
    if (side >= 1 && side <= 3)
        sides[side - 1]->setChecked(true);
}

void PVDOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    FilmOptionsDialog::preset(parameters);
    const QString text = QStringLiteral("Deposit On");
    if (parameters.contains(keySide)) {
        setSide(parameters.value(keySide).toInt());
    } else if (parameters.contains(text)) {
        for (int side = 1; side <= 3; ++side)
            if (parameters.value(text).toString() == sideText(side))
                setSide(side);
    }
}

void PVDOptionsDialog::writeValues(Core::Processes::ParameterSet &values) const
{
    FilmOptionsDialog::writeValues(values);
    values.set(keySide, getSide());
}

float PVDOptionsDialog::getThickness() const { return static_cast<float>(thickness->value()); }
float PVDOptionsDialog::getRatio() const { return static_cast<float>(ratio->value()); }

int PVDOptionsDialog::getSide() const
{
    for (int i = 0; i < 3; ++i)
        if (sides[i]->isChecked())
            return i + 1;
    return 1;
}

quint32 PVDOptionsDialog::getMaterial() const { return material->currentData().toUInt(); }

} // namespace Operations
} // namespace Ui
