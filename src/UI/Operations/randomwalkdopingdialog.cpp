#include "UI/Operations/randomwalkdopingdialog.h"

#include "Core/Processes/processregistry.h"

#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdopingoperation.h"
#include "UI/Operations/filmoptionsdialog.h"
#include "UI/Operations/materialcombo.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace Ui {
namespace Operations {

namespace {

constexpr double centimetresSquared = 1e-4; // cm^2/s -> m^2/s
constexpr double micrometre = 1e-6;          // um -> m
constexpr double perCubicCentimetre = 1e6;   // cm^-3 -> m^-3
constexpr double minute = 60.0;
constexpr double percent = 0.01;

// D x dt x 6 / h^2 of the coupled values: half the particles move each step.
constexpr double moving = 0.5;

QDoubleSpinBox *spinBox(double initial, const QString &suffix)
{
    auto *box = new QDoubleSpinBox;
    box->setDecimals(2);
    box->setRange(0.0, 1e9);
    box->setValue(initial);
    box->setSuffix(suffix);
    return box;
}

} // namespace

RandomWalkDopingDialog::RandomWalkDopingDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Random Walk Doping Options"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);

    material = new QComboBox;
    fillDopantCombo(material, 13);
    form->addRow(tr("Doping Material"), material);

    const QString labels[fieldCount] = {tr("Diffusion coefficient (cm²/s)"), tr("Cell size (µm)"),
                                        tr("Time step (s)"), tr("Dopant concentration (cm⁻³)")};
    for (int f = 0; f < fieldCount; ++f) {
        auto *edit = new QLineEdit;
        auto *validator = new QDoubleValidator(0.0, 1e120, 6, edit);
        validator->setNotation(QDoubleValidator::ScientificNotation);
        edit->setValidator(validator);
        edits[f] = edit;
        form->addRow(labels[f], edit);
        const Field field = static_cast<Field>(f);
        connect(edit, &QLineEdit::editingFinished, this, [this, field] { fieldLeft(field); });
        connect(edit, &QLineEdit::textChanged, this, [this] { updateState(); });
    }
    const Core::Processes::ProcessDescriptor &process = descriptor();
    edits[diffusion]->setToolTip(process.field(QStringLiteral("Diffusion Coefficient"))->help);
    edits[concentration]->setToolTip(process.field(QStringLiteral("Surface Concentration"))->help);

    threshold = spinBox(0.0, tr(" %"));
    threshold->setToolTip(tr("Cells whose concentration exceeds this share of the surface concentration become the dopant material."));
    form->addRow(tr("Threshold"), threshold);
    time = spinBox(0.0, tr(" minutes"));
    form->addRow(tr("Doping time"), time);
    connect(time, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, [this] { updateState(); });

    problem = new QLabel;
    problem->setWordWrap(true);
    problem->setStyleSheet(QStringLiteral("color: #b00000"));
    layout->addWidget(problem);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    QMap<QString, QVariant> defaults;
    for (const Core::Processes::ParameterField &field : process.fields)
        if (!field.isMaterial())
            defaults.insert(field.key, field.defaultValue);
    preset(defaults);
}

double RandomWalkDopingDialog::value(Field field) const
{
    const QLineEdit *edit = edits[field];
    if (!edit->isModified())
        return values[field];
    bool parsed = false;
    const double v = edit->locale().toDouble(edit->text(), &parsed);
    return parsed ? v : std::nan("");
}

void RandomWalkDopingDialog::setValue(Field field, double v)
{
    values[field] = v;
    // setText() clears the modified flag: the stored value is the exact one.
    edits[field]->setText(edits[field]->locale().toString(v, 'g', 6));
}

void RandomWalkDopingDialog::fieldLeft(Field field)
{
    if (!edits[field]->isModified())
        return;
    setValue(field, value(field));
    const double h = value(cellSize) * micrometre;
    if (field == cellSize || field == timeStep) {
        const double dt = value(timeStep);
        const double d = moving * h * h / (6.0 * dt);
        if (dt > 0.0 && std::isfinite(d))
            setValue(diffusion, d / centimetresSquared);
    } else if (field == diffusion) {
        const double d = value(diffusion) * centimetresSquared;
        const double dt = moving * h * h / (6.0 * d);
        if (d > 0.0 && std::isfinite(dt))
            setValue(timeStep, dt);
    }
    updateState();
}

void RandomWalkDopingDialog::updateState()
{
    QString reason;
    if (material->count() == 0)
        reason = tr("The process catalogue offers no dopant.");
    for (const QLineEdit *edit : edits)
        if (reason.isEmpty() && !edit->hasAcceptableInput())
            reason = tr("Enter numbers from 0 to 1e120.");
    if (reason.isEmpty()) {
        reason = Core::Operations::RandomWalkDoping::parameterProblem(
            static_cast<float>(getDiffusionCoefficient()), static_cast<float>(getCellSize()),
            static_cast<float>(getTimeStep()), static_cast<float>(getSurfaceConcentration()),
            static_cast<float>(getDopingThreshold()), static_cast<float>(getDopingTime()));
        if (!reason.isEmpty())
            reason[0] = reason[0].toUpper();
    }
    problem->setText(reason);
    problem->setVisible(!reason.isEmpty());
    ok->setEnabled(reason.isEmpty());
}

quint32 RandomWalkDopingDialog::getDopantMaterial() const { return material->currentData().toUInt(); }
double RandomWalkDopingDialog::getDiffusionCoefficient() const { return value(diffusion) * centimetresSquared; }
double RandomWalkDopingDialog::getCellSize() const { return value(cellSize) * micrometre; }
double RandomWalkDopingDialog::getTimeStep() const { return value(timeStep); }
double RandomWalkDopingDialog::getSurfaceConcentration() const { return value(concentration) * perCubicCentimetre; }
double RandomWalkDopingDialog::getDopingThreshold() const
{
    return getSurfaceConcentration() * threshold->value() * percent;
}
double RandomWalkDopingDialog::getDopingTime() const { return time->value() * minute; }

void RandomWalkDopingDialog::applyTo(Core::Operations::RandomWalkDopingOperation &operation) const
{
    operation.setDopantMaterial(getDopantMaterial());
    operation.setDiffusionCoefficient(static_cast<float>(getDiffusionCoefficient()));
    operation.setCellSize(static_cast<float>(getCellSize()));
    operation.setTimeStep(static_cast<float>(getTimeStep()));
    operation.setSurfaceConcentration(static_cast<float>(getSurfaceConcentration()));
    operation.setDopingThreshold(static_cast<float>(getDopingThreshold()));
    operation.setDopingTime(static_cast<float>(getDopingTime()));
}

const Core::Processes::ProcessDescriptor &RandomWalkDopingDialog::descriptor()
{
    return *Core::Processes::ProcessRegistry::instance().byBatchType(19);
}

void RandomWalkDopingDialog::preset(const QMap<QString, QVariant> &parameters)
{
    const Core::Processes::ParameterField &dopant = *descriptor().field(QStringLiteral("Material"));
    FilmOptionsDialog::presetMaterial(material, parameters, dopant.listKey(), dopant.key);
    auto read = [&](const char *key, double *v) {
        bool converted = false;
        *v = parameters.value(QString::fromLatin1(key)).toDouble(&converted);
        return converted && std::isfinite(*v);
    };
    double v = 0.0;
    if (read("Diffusion Coefficient", &v))
        setValue(diffusion, v / centimetresSquared);
    if (read("Cell Size", &v))
        setValue(cellSize, v / micrometre);
    if (read("Time Step Duration", &v))
        setValue(timeStep, v);
    if (read("Surface Concentration", &v))
        setValue(concentration, v / perCubicCentimetre);
    if (read("Doping Threshold", &v)) {
        // In percent of the surface concentration as its field shows it.
        bool parsed = false;
        const double surface = edits[concentration]->locale().toDouble(edits[concentration]->text(), &parsed);
        const double share = v / (surface * perCubicCentimetre * percent);
        if (parsed && std::isfinite(share))
            threshold->setValue(share);
    }
    if (read("Doping Time", &v))
        time->setValue(v / minute);
    updateState();
}

} // namespace Operations
} // namespace Ui
