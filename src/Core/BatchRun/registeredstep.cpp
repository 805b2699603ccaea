#include "Core/BatchRun/registeredstep.h"

#include "Core/BatchRun/stepparameters.h"
#include "Model/Materials/materialfactory.h"

#include <QColor>

namespace Core {
namespace BatchRun {

using namespace Core::Processes;

namespace {

QVariant readValue(StepParameters &read, const ParameterField &field)
{
    const QString key = field.listKey();
    switch (field.type) {
    case ValueType::Float:
        return read.toFloat(key);
    case ValueType::Double:
        return read.toDouble(key);
    case ValueType::UInt:
    case ValueType::Material:
        return read.toUInt(key);
    case ValueType::Int:
        return read.toInt(key);
    case ValueType::Bool:
        return read.toBool(key);
    case ValueType::String:
        return read.toString(key);
    case ValueType::Point:
        return QVariant::fromValue(read.toVector3D(key));
    case ValueType::Mask:
        return QVariant::fromValue(read.toMask(key));
    }
    return QVariant();
}

// The value as the list stores it: a float field as a float, and so on.
QVariant stored(const ParameterField &field, const QVariant &value)
{
    switch (field.type) {
    case ValueType::Float:
        return value.toFloat();
    case ValueType::Double:
        return value.toDouble();
    case ValueType::UInt:
    case ValueType::Material:
        return value.toUInt();
    case ValueType::Int:
        return value.toInt();
    case ValueType::Bool:
        return value.toBool();
    case ValueType::String:
        return value.toString();
    case ValueType::Point:
    case ValueType::Mask:
        return value;
    }
    return value;
}

bool decidesOthers(const ProcessDescriptor &process, const ParameterField &field)
{
    for (const ParameterField &other : process.fields)
        if (other.onlyWhen == field.key)
            return true;
    return false;
}

} // namespace

int32_t readStepValues(const ProcessDescriptor &process, const ProcessData &step, ParameterSet &values)
{
    StepParameters read(step);
    for (const ParameterField &field : process.fields) {
        if (!field.appliesTo(values))
            continue;
        if (field.optional && !step.hasParameter(field.listKey())) {
            values.set(field.key, field.defaultValue);
            continue;
        }
        values.set(field.key, readValue(read, field));
        // The fields that follow depend on this one: they are read only once it is known.
        if (read.result() != 0 && decidesOthers(process, field))
            return read.result();
    }
    if (read.result() != 0)
        return read.result();
    if (const ParameterField *refused = process.refusedField(values))
        return refused->refusal.isEmpty() ? 2 : rejectStep(step, refused->refusal);
    return 0;
}

int32_t runDescribedStep(const ProcessDescriptor &process, StepEnvironment &environment, const ProcessData &step)
{
    ParameterSet values;
    const int32_t result = readStepValues(process, step, values);
    if (result != 0 || StepParameters::checkOnly())
        return result;
    Processes::ProcessTarget target{*environment.volume, environment.latticeStale, environment.listFolder};
    process.run(target, values);
    if (process.writesSilicon(values))
        environment.markLatticeStale();
    return 0;
}

void writeStepValues(const ProcessDescriptor &process, const ParameterSet &values, ProcessData &step)
{
    for (const ParameterField &field : process.fields) {
        if (!values.has(field.key))
            continue;
        if (!field.isMaterial()) {
            step.setParameter(field.key, stored(field, values.value(field.key)), true);
            continue;
        }
        const uint32_t id = values.material(field.key);
        const Model::Materials::Material material = Model::Materials::MaterialFactory::instance()->getMaterial(id);
        QColor colour = QColor::fromRgbF(material.color[0], material.color[1], material.color[2]);
        colour.setAlpha(255);
        step.setParameter(field.listKey(), static_cast<uint>(id), false);
        step.setParameter(field.key, material.name, true);
        step.setParameter(field.colorKey(), colour, false);
    }
    if (!process.listExtras)
        return;
    ParameterSet shown;
    ParameterSet hidden;
    process.listExtras(values, shown, hidden);
    for (auto it = shown.all().cbegin(); it != shown.all().cend(); ++it)
        step.setParameter(it.key(), it.value(), true);
    for (auto it = hidden.all().cbegin(); it != hidden.all().cend(); ++it)
        step.setParameter(it.key(), it.value(), false);
}

} // namespace BatchRun
} // namespace Core
