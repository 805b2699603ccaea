#include "UI/Operations/filmoptionsdialog.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Operations/materialcombo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

FilmOptionsDialog::FilmOptionsDialog(QWidget *parent) : QDialog(parent)
{
    auto *layout = new QVBoxLayout(this);
    form = new QFormLayout;
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    okButton = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString FilmOptionsDialog::processTitle(int processId)
{
    return Model::Process::ProcessFactory::instance()->getProcess(processId).name + tr(" Options");
}

std::vector<quint32> FilmOptionsDialog::processMaterials(int processId)
{
    const auto materials = Model::Materials::MaterialFactory::instance();
    std::vector<quint32> result;
    for (uint32_t id : Model::Process::ProcessFactory::instance()->getProcess(processId).compatibleMaterials)
        if (id != 0 && materials->getMaterial(id).id == id)
            result.push_back(id);
    return result;
}

std::vector<quint32> FilmOptionsDialog::allMaterials()
{
    std::vector<quint32> result;
    for (const Model::Materials::Material &m : Model::Materials::MaterialFactory::instance()->getMaterials())
        result.push_back(m.id);
    return result;
}

QDoubleSpinBox *FilmOptionsDialog::addLength(const QString &label, int decimals)
{
    auto *box = new QDoubleSpinBox;
    box->setDecimals(decimals);
    box->setRange(0.0, 1e9);
    box->setValue(10.0);
    box->setSuffix(tr(" units"));
    addRow(label, box);
    return box;
}

QDoubleSpinBox *FilmOptionsDialog::addRatio(double minimum)
{
    auto *box = new QDoubleSpinBox;
    box->setDecimals(3);
    box->setRange(minimum, 1e9);
    box->setValue(0.5);
    box->setToolTip(tr("Lateral growth or etch per unit of vertical growth or etch."));
    addRow(tr("Horizontal ratio"), box);
    return box;
}

QComboBox *FilmOptionsDialog::addMaterialList(const QString &label, const std::vector<quint32> &ids)
{
    auto *combo = new QComboBox;
    if (!ids.empty())
        fillMaterialCombo(combo, ids);
    else
        okButton->setEnabled(false);
    addRow(label, combo);
    return combo;
}

QComboBox *FilmOptionsDialog::addDopantList(const QString &label, int processId)
{
    auto *combo = new QComboBox;
    fillDopantCombo(combo, processId);
    okButton->setEnabled(combo->count() > 0);
    addRow(label, combo);
    return combo;
}

void FilmOptionsDialog::addRow(const QString &label, QWidget *field) { form->addRow(label, field); }

void FilmOptionsDialog::addRow(QWidget *field) { form->addRow(field); }

void FilmOptionsDialog::presetMaterial(QComboBox *combo, const QMap<QString, QVariant> &parameters,
                                       const QString &idKey, const QString &nameKey)
{
    int index = -1;
    if (parameters.contains(idKey))
        index = combo->findData(parameters.value(idKey).toUInt());
    else if (parameters.contains(nameKey))
        index = combo->findText(parameters.value(nameKey).toString());
    if (index >= 0)
        combo->setCurrentIndex(index);
}

void FilmOptionsDialog::presetNumber(QDoubleSpinBox *box, const QMap<QString, QVariant> &parameters,
                                     const QString &key)
{
    bool ok = false;
    const double value = parameters.value(key).toDouble(&ok);
    if (ok)
        box->setValue(value);
}

} // namespace Operations
} // namespace Ui
