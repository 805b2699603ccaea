#include "cli/parameteroverrides.h"

#include "Core/BatchRun/parametertext.h"
#include "Core/BatchRun/processlistfile.h"
#include "Model/Materials/materialfactory.h"
#include "Util/vector3d.h"

#include <QColor>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <cmath>
#include <map>

namespace Cli {

using Core::BatchRun::quotedText;

ParameterOverrides::ParameterOverrides()
    : setOption(QStringLiteral("set"),
                QStringLiteral("Run with one parameter of one step replaced, for example --set "
                               "\"2.Film Thickness=4\": STEP counts from 1 as the step lines do, PARAMETER is "
                               "a parameter the step reads, by the name the list gives it or, for a material, "
                               "the word the list editor shows (\"Material\"); VALUE is read as its type (a "
                               "material also by name) and must be one the step takes. Repeatable; the list "
                               "file is not changed."),
                QStringLiteral("STEP.PARAMETER=VALUE"))
{
}

void ParameterOverrides::addTo(QCommandLineParser &parser) const { parser.addOption(setOption); }

bool ParameterOverrides::read(const QCommandLineParser &parser, QString *error)
{
    // The parameter name runs to the first "=": names hold spaces but never "=", values may.
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d+)\\.([^=]+)=(.*)$"),
                                         QRegularExpression::DotMatchesEverythingOption);
    overrides.clear();
    for (const QString &option : parser.values(setOption)) {
        const QRegularExpressionMatch match = form.match(option);
        bool ok = false;
        const int step = match.hasMatch() ? match.captured(1).toInt(&ok) : 0;
        if (!ok || step < 1) {
            *error = QStringLiteral("--set %1: give STEP.PARAMETER=VALUE with STEP a step number from 1, "
                                    "for example --set \"2.Film Thickness=4\"")
                         .arg(quotedText(option));
            return false;
        }
        overrides.push_back({option, step, match.captured(2), match.captured(3)});
    }
    return true;
}

void ParameterOverrides::add(int step, const QString &parameter, const QString &value)
{
    overrides.push_back({QStringLiteral("%1.%2=%3").arg(step).arg(parameter, value), step, parameter, value});
}

bool ParameterOverrides::parseValue(const QString &name, const QVariant &current, const QString &text,
                                    QVariant *value, QString *reason)
{
    return Core::BatchRun::parseParameterText(name, current, text, value, reason);
}

namespace {

// The word the list editor shows beside a material id ("Material" beside its id): the word the list editor shows beside a material id.
QString materialWord(const QString &idName)
{
    static const QString suffix = QStringLiteral("_Id");
    return idName.endsWith(suffix) ? idName.left(idName.size() - suffix.size()) : QString();
}

// The parameters a step reads, for messages: material ids also by their shown word.
QStringList readNames(const QStringList &read)
{
    QStringList names;
    for (const QString &name : read) {
        const QString word = materialWord(name);
        names << (Core::BatchRun::ProcessListFile::materialIdParameters().contains(name)
                      ? QStringLiteral("%1 (or %2, a material's name or id)").arg(quotedText(name), quotedText(word))
                      : quotedText(name));
    }
    return names;
}

// A material set by --set: the name and colour shown beside its id follow it.
void showMaterial(Core::BatchRun::ProcessData &step, const QString &idName, uint32_t id)
{
    const QString word = materialWord(idName);
    const Model::Materials::Material material = Model::Materials::MaterialFactory::instance()->getMaterial(id);
    if (step.hasParameter(word))
        step.setParameter(word, material.name, step.getVisibility().value(word, true));
    const QString colourName = word + QStringLiteral("_Color");
    if (step.hasParameter(colourName)) {
        QColor colour = QColor::fromRgbF(material.color[0], material.color[1], material.color[2]);
        colour.setAlpha(255);
        step.setParameter(colourName, colour, step.getVisibility().value(colourName, false));
    }
}

} // namespace

bool ParameterOverrides::apply(Core::BatchRun::ProcessList &list, const StepChecker &check, QString *error) const
{
    Core::BatchRun::ProcessList changed = list;
    std::map<int, QStringList> optionsByStep;
    for (const Override &o : overrides) {
        const QString head = QStringLiteral("--set %1: ").arg(quotedText(o.option));
        if (o.step > static_cast<int>(changed.size())) {
            *error = head + QStringLiteral("the list has no step %1; its steps are 1 to %2")
                                .arg(o.step)
                                .arg(changed.size());
            return false;
        }
        Core::BatchRun::ProcessData &step = changed[static_cast<size_t>(o.step - 1)];
        const QString where = QStringLiteral("step %1 (%2)").arg(o.step).arg(step.getProcessName());
        // Only what the step reads changes its run; a material is also taken by the word
        // shown beside its id.
        const QStringList read = check(step).parametersRead;
        QString target = o.parameter;
        if (!read.contains(target) && read.contains(target + QStringLiteral("_Id")) &&
            Core::BatchRun::ProcessListFile::materialIdParameters().contains(target + QStringLiteral("_Id")))
            target += QStringLiteral("_Id");
        if (!read.contains(target) || !step.hasParameter(target)) {
            *error = head + Core::BatchRun::readsNoParameterText(where, o.parameter, readNames(read));
            return false;
        }
        QVariant value;
        QString reason;
        if (!parseValue(target, step.getParameters().value(target), o.value, &value, &reason)) {
            *error = head + Core::BatchRun::notAValueText(o.value, o.parameter, where, reason);
            return false;
        }
        step.setParameter(target, value, step.getVisibility().value(target, true));
        if (Core::BatchRun::ProcessListFile::materialIdParameters().contains(target))
            showMaterial(step, target, value.toUInt());
        optionsByStep[o.step] << quotedText(o.option);
    }
    // The values together, as the step will take them, before anything runs.
    for (const auto &entry : optionsByStep) {
        const Core::BatchRun::ProcessData &step = changed[static_cast<size_t>(entry.first - 1)];
        const Core::BatchRun::ProcessListRunner::StepCheckResult checked = check(step);
        if (checked.result == Core::BatchRun::ProcessListRunner::Success)
            continue;
        const QString why = checked.rejection.isEmpty() ? Core::BatchRun::ProcessListRunner::resultMessage(checked.result)
                                                        : checked.rejection;
        *error = QStringLiteral("--set %1: ").arg(entry.second.join(QStringLiteral(", --set "))) +
                 Core::BatchRun::doesNotTakeText(QStringLiteral("step %1 (%2)").arg(entry.first).arg(step.getProcessName()),
                                                 entry.second.size() != 1, why);
        return false;
    }
    list = std::move(changed);
    return true;
}

} // namespace Cli
