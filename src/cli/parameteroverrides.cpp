#include "cli/parameteroverrides.h"

#include "Core/BatchRun/processlistfile.h"
#include "Model/Materials/materialfactory.h"
#include "Util/vector3d.h"

#include <QColor>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <cmath>

namespace Cli {

namespace {

QString quoted(const QString &text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

bool materialId(const QString &text, uint32_t *id, QString *reason)
{
    const auto catalogue = Model::Materials::MaterialFactory::instance();
    bool ok = false;
    const uint number = text.toUInt(&ok);
    if (ok) {
        if (catalogue->getMaterial(number).id == number && number != 0) {
            *id = number;
            return true;
        }
        *reason = QStringLiteral("the material catalogue has no material with id %1").arg(number);
        return false;
    }
    const Model::Materials::Material byName = catalogue->getMaterialByName(text);
    if (byName.id != 0 && byName.name == text) {
        *id = byName.id;
        return true;
    }
    *reason = QStringLiteral("the material catalogue has no material named %1 (give a material's name or id)")
                  .arg(quoted(text));
    return false;
}

} // namespace

ParameterOverrides::ParameterOverrides()
    : setOption(QStringLiteral("set"),
                QStringLiteral("Run with one parameter of one step replaced, for example --set "
                               "\"2.Film Thickness=4\": STEP counts from 1 as the step lines do, PARAMETER is "
                               "the name the list gives it, VALUE is read as its type (a material also by "
                               "name). Repeatable; the list file is not changed."),
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
                         .arg(quoted(option));
            return false;
        }
        overrides.push_back({option, step, match.captured(2), match.captured(3)});
    }
    return true;
}

bool ParameterOverrides::parseValue(const QString &name, const QVariant &current, const QString &text,
                                    QVariant *value, QString *reason)
{
    const int type = current.userType();
    bool ok = false;
    if (Ui::ProcessListFile::materialIdParameters().contains(name)) {
        uint32_t id = 0;
        if (!materialId(text.trimmed(), &id, reason))
            return false;
        // Kept in the type the list gave it, which is how its step reads it.
        *value = type == QMetaType::Int ? QVariant(static_cast<int>(id)) : QVariant(static_cast<uint>(id));
        return true;
    }
    if (type == QMetaType::Bool) {
        const QString word = text.trimmed();
        if (word != QLatin1String("true") && word != QLatin1String("false")) {
            *reason = QStringLiteral("a yes-or-no parameter takes true or false");
            return false;
        }
        *value = word == QLatin1String("true");
        return true;
    }
    if (type == QMetaType::Float || type == QMetaType::Double) {
        const double number = text.toDouble(&ok);
        const bool fitsFloat = type == QMetaType::Double || std::abs(number) <= 3.4028234663852886e38;
        if (!ok || !std::isfinite(number) || !fitsFloat) {
            *reason = QStringLiteral("it needs a number");
            return false;
        }
        *value = type == QMetaType::Float ? QVariant(static_cast<float>(number)) : QVariant(number);
        return true;
    }
    if (type == QMetaType::Int) {
        const int number = text.toInt(&ok);
        if (!ok) {
            *reason = QStringLiteral("it needs a whole number");
            return false;
        }
        *value = number;
        return true;
    }
    if (type == QMetaType::UInt) {
        const uint number = text.toUInt(&ok);
        if (!ok) {
            *reason = QStringLiteral("it needs a whole number of 0 or more");
            return false;
        }
        *value = number;
        return true;
    }
    if (type == QMetaType::QString) {
        *value = text;
        return true;
    }
    if (type == QMetaType::QColor) {
        const QColor color(text.trimmed());
        if (!color.isValid()) {
            *reason = QStringLiteral("it needs a colour such as #ff8000");
            return false;
        }
        *value = color;
        return true;
    }
    if (type == qMetaTypeId<Util::Vector3D>()) {
        const QVariant point = Ui::ProcessListFile::valueFromText(QStringLiteral("Util::Vector3D"), text);
        if (point.userType() != type || !Util::Vector3D(point).isStorable()) {
            *reason = QStringLiteral("it needs a point x;y;z of three numbers");
            return false;
        }
        *value = point;
        return true;
    }
    if (type == qMetaTypeId<Ui::MaskBitmap>()) {
        const size_t length = current.value<Ui::MaskBitmap>().size();
        static const QRegularExpression bits(QStringLiteral("^[01]*$"));
        if (!bits.match(text).hasMatch() || static_cast<size_t>(text.size()) != length) {
            *reason = QStringLiteral("a mask takes %1 characters 0 or 1, one per cell column").arg(length);
            return false;
        }
        *value = Ui::ProcessListFile::valueFromText(QStringLiteral("vector"), text);
        return true;
    }
    *reason = QStringLiteral("the list file gives it a type that cannot be read");
    return false;
}

bool ParameterOverrides::apply(Ui::ProcessList &list, QString *error) const
{
    Ui::ProcessList changed = list;
    for (const Override &o : overrides) {
        const QString head = QStringLiteral("--set %1: ").arg(quoted(o.option));
        if (o.step > static_cast<int>(changed.size())) {
            *error = head + QStringLiteral("the list has no step %1; its steps are 1 to %2")
                                .arg(o.step)
                                .arg(changed.size());
            return false;
        }
        Ui::ProcessData &step = changed[static_cast<size_t>(o.step - 1)];
        const QString where = QStringLiteral("step %1 (%2)").arg(o.step).arg(step.getProcessName());
        if (!step.hasParameter(o.parameter)) {
            QStringList names;
            for (const QString &name : step.getParameters().keys())
                names << quoted(name);
            *error = head + QStringLiteral("%1 has no parameter %2; its parameters are %3")
                                .arg(where, quoted(o.parameter), names.join(QStringLiteral(", ")));
            return false;
        }
        QVariant value;
        QString reason;
        if (!parseValue(o.parameter, step.getParameters().value(o.parameter), o.value, &value, &reason)) {
            *error = head + QStringLiteral("%1 is not a value for %2 of %3: %4")
                                .arg(quoted(o.value), quoted(o.parameter), where, reason);
            return false;
        }
        step.setParameter(o.parameter, value, step.getVisibility().value(o.parameter, true));
    }
    list = std::move(changed);
    return true;
}

} // namespace Cli
