#include "Core/Processes/processdescriptor.h"

#include <cmath>

namespace Core {
namespace Processes {

QString ParameterField::listKey() const { return isMaterial() ? key + QStringLiteral("_Id") : key; }

QString ParameterField::colorKey() const { return key + QStringLiteral("_Color"); }

bool ParameterField::keepsRule(double value) const
{
    switch (rule) {
    case ListRule::Any:
        return true;
    case ListRule::Finite:
        return std::isfinite(value);
    case ListRule::NotNegative:
        return std::isfinite(value) && value >= 0.0;
    case ListRule::Positive:
        return std::isfinite(value) && value > 0.0;
    case ListRule::Range:
        return std::isfinite(value) && value >= ruleMinimum && value <= ruleMaximum;
    }
    return false;
}

bool ParameterField::appliesTo(const ParameterSet &values) const
{
    return onlyWhen.isEmpty() || values.value(onlyWhen) == onlyWhenValue;
}

ParameterField &ParameterField::withRule(ListRule listRule, const QString &why)
{
    rule = listRule;
    refusal = why;
    return *this;
}

QString ParameterField::pythonKeyword() const { return pythonName.isEmpty() ? pythonIdentifier(key) : pythonName; }

ParameterField &ParameterField::withPythonName(const QString &name)
{
    pythonName = name;
    return *this;
}

ParameterField &ParameterField::withHelp(const QString &text)
{
    help = text;
    return *this;
}

const ParameterField *ProcessDescriptor::field(const QString &key) const
{
    for (const ParameterField &f : fields)
        if (f.key == key)
            return &f;
    return nullptr;
}

QString ProcessDescriptor::pythonFunction() const
{
    if (!pythonName.isEmpty())
        return pythonName;
    return pythonIdentifier(menuText.isEmpty() ? listName : menuText);
}

const ParameterField *ProcessDescriptor::refusedField(const ParameterSet &values) const
{
    for (const bool last : {false, true})
        for (const ParameterField &f : fields)
            if (f.checkedLast == last && f.appliesTo(values) && f.isNumber() && !f.keepsRule(values.number(f.key)))
                return &f;
    return nullptr;
}

bool ProcessDescriptor::writesSilicon(const ParameterSet &values) const
{
    switch (silicon) {
    case SiliconEffect::None:
        return false;
    case SiliconEffect::Always:
        return true;
    case SiliconEffect::WhenMaterialIsSilicon:
        return values.material(writtenMaterial) == 1u;
    }
    return false;
}

QString pythonIdentifier(const QString &text)
{
    QString name;
    bool gap = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!c.isLetterOrNumber() || c.unicode() > 127) {
            gap = true;
            continue;
        }
        const bool camelBreak = c.isUpper() && i > 0 && text.at(i - 1).isLower();
        if (!name.isEmpty() && (gap || camelBreak))
            name += QLatin1Char('_');
        gap = false;
        name += c.toLower();
    }
    return name;
}

ParameterField materialField(const QString &word, const QString &label, MaterialChoice choice)
{
    ParameterField f;
    f.key = word;
    f.type = ValueType::Material;
    f.label = label;
    f.materials = choice;
    return f;
}

ParameterField numberField(const QString &key, ValueType type, const QString &label, const QString &unit,
                           double defaultValue, double minimum, double maximum, int decimals)
{
    ParameterField f;
    f.key = key;
    f.type = type;
    f.label = label;
    f.unit = unit;
    f.defaultValue = defaultValue;
    f.minimum = minimum;
    f.maximum = maximum;
    f.decimals = decimals;
    return f;
}

ParameterField lengthField(const QString &key, const QString &label, double defaultValue, int decimals,
                           const QString &refusal, ValueType type)
{
    return numberField(key, type, label, QStringLiteral("units"), defaultValue, 0.0, 1e9, decimals)
        .withRule(ListRule::NotNegative, refusal);
}

ProcessDescriptor describe(const QString &menuText, const QString &consoleName, const QString &listName,
                           int32_t operation, int32_t batchType, const QString &snapshotKey)
{
    ProcessDescriptor d;
    d.menuText = menuText;
    d.consoleName = consoleName;
    d.listName = listName;
    d.editorName = menuText;
    d.operationNumber = operation;
    d.recordedNumber = operation;
    d.batchRecordedNumber = operation;
    d.batchType = batchType;
    d.snapshotKey = snapshotKey;
    return d;
}

} // namespace Processes
} // namespace Core
