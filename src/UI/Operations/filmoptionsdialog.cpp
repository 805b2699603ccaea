#include "UI/Operations/filmoptionsdialog.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Operations/materialcombo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace Ui {
namespace Operations {

FilmOptionsDialog::FilmOptionsDialog(QWidget *parent) : ProcessDialog(parent)
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

FilmOptionsDialog::FilmOptionsDialog(const Core::Processes::ProcessDescriptor &process, QWidget *parent)
    : FilmOptionsDialog(parent)
{
    setWindowTitle(process.dialogTitle.isEmpty() ? processTitle(process.catalogueId) : process.dialogTitle);
    if (process.dialogOrder.empty()) {
        for (const Core::Processes::ParameterField &field : process.fields)
            addField(process, field);
        return;
    }
    for (const QString &key : process.dialogOrder)
        if (const Core::Processes::ParameterField *field = process.field(key))
            addField(process, *field);
}

QWidget *FilmOptionsDialog::addField(const Core::Processes::ProcessDescriptor &process,
                                     const Core::Processes::ParameterField &field)
{
    using Core::Processes::MaterialChoice;
    QWidget *widget = nullptr;
    if (field.isMaterial()) {
        if (field.materials == MaterialChoice::Dopant)
            widget = addDopantList(field.label, process.catalogueId);
        else
            widget = addMaterialList(field.label, field.materials == MaterialChoice::Process
                                                      ? processMaterials(process.catalogueId)
                                                      : allMaterials());
    } else if (field.decimals == 0) {
        auto *box = new QSpinBox;
        box->setRange(static_cast<int>(field.minimum), static_cast<int>(field.maximum));
        box->setValue(static_cast<int>(field.defaultValue));
        box->setSuffix(field.suffix());
        addRow(field.label, box);
        widget = box;
    } else {
        auto *box = new QDoubleSpinBox;
        box->setDecimals(field.decimals);
        box->setRange(field.minimum, field.maximum);
        box->setValue(field.defaultValue);
        box->setSuffix(field.suffix());
        addRow(field.label, box);
        widget = box;
    }
    if (!field.help.isEmpty())
        widget->setToolTip(field.help);
    bindField(field, widget);
    return widget;
}

void FilmOptionsDialog::bindField(const Core::Processes::ParameterField &field, QWidget *widget)
{
    boundFields.push_back({field, widget});
}

const FilmOptionsDialog::BoundField *FilmOptionsDialog::bound(const QString &key) const
{
    for (const BoundField &b : boundFields)
        if (b.field.key == key)
            return &b;
    return nullptr;
}

QDoubleSpinBox *FilmOptionsDialog::numberBox(const QString &key) const
{
    const BoundField *b = bound(key);
    return b ? qobject_cast<QDoubleSpinBox *>(b->widget) : nullptr;
}

QSpinBox *FilmOptionsDialog::countBox(const QString &key) const
{
    const BoundField *b = bound(key);
    return b ? qobject_cast<QSpinBox *>(b->widget) : nullptr;
}

QComboBox *FilmOptionsDialog::materialBox(const QString &key) const
{
    const BoundField *b = bound(key);
    return b ? qobject_cast<QComboBox *>(b->widget) : nullptr;
}

void FilmOptionsDialog::writeValues(Core::Processes::ParameterSet &values) const
{
    for (const BoundField &b : boundFields) {
        if (auto *combo = qobject_cast<QComboBox *>(b.widget))
            values.set(b.field.key, combo->currentData().toUInt());
        else if (auto *count = qobject_cast<QSpinBox *>(b.widget))
            values.set(b.field.key, count->value());
        else if (auto *number = qobject_cast<QDoubleSpinBox *>(b.widget))
            values.set(b.field.key, number->value());
    }
}

void FilmOptionsDialog::preset(const QMap<QString, QVariant> &parameters)
{
    for (const BoundField &b : boundFields) {
        if (auto *combo = qobject_cast<QComboBox *>(b.widget)) {
            presetMaterial(combo, parameters, b.field.listKey(), b.field.key);
        } else if (auto *number = qobject_cast<QDoubleSpinBox *>(b.widget)) {
            presetNumber(number, parameters, b.field.key);
        } else if (auto *count = qobject_cast<QSpinBox *>(b.widget)) {
            bool ok = false;
            const double value = parameters.value(b.field.key).toDouble(&ok);
            if (ok && std::isfinite(value))
                count->setValue(static_cast<int>(std::max(b.field.minimum, std::min(value, b.field.maximum))));
        }
    }
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
    needMaterial(combo);
    addRow(label, combo);
    return combo;
}

QComboBox *FilmOptionsDialog::addDopantList(const QString &label, int processId)
{
    auto *combo = new QComboBox;
    fillDopantCombo(combo, processId);
    needMaterial(combo);
    addRow(label, combo);
    return combo;
}

void FilmOptionsDialog::needMaterial(QComboBox *combo)
{
    materialLists.push_back(combo);
    auto follow = [this] {
        okButton->setEnabled(std::all_of(materialLists.begin(), materialLists.end(),
                                         [](const QComboBox *list) { return list->count() > 0; }));
    };
    connect(combo->model(), &QAbstractItemModel::rowsInserted, this, follow);
    connect(combo->model(), &QAbstractItemModel::rowsRemoved, this, follow);
    connect(combo->model(), &QAbstractItemModel::modelReset, this, follow);
    follow();
}

void FilmOptionsDialog::addRow(const QString &label, QWidget *field) { form->addRow(label, field); }

void FilmOptionsDialog::addRow(QWidget *field) { form->addRow(field); }

void FilmOptionsDialog::addRow(QWidget *label, QWidget *field) { form->addRow(label, field); }

void FilmOptionsDialog::addRow(const QString &label, QLayout *row, QWidget *buddy)
{
    auto *name = new QLabel(label);
    name->setBuddy(buddy);
    form->addRow(name, row);
}

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
