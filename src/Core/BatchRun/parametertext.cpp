#include "Core/BatchRun/parametertext.h"

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistfile.h"
#include "Model/Materials/materialfactory.h"
#include "Util/vector3d.h"

#include <QColor>
#include <QRegularExpression>
#include <cmath>

namespace Core {
namespace BatchRun {

QString quotedText(const QString &text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

bool materialIdFromText(const QString &text, uint32_t *id, QString *reason)
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
                  .arg(quotedText(text));
    return false;
}

bool parseParameterText(const QString &name, const QVariant &current, const QString &text, QVariant *value,
                        QString *reason)
{
    const int type = current.userType();
    bool ok = false;
    if (ProcessListFile::materialIdParameters().contains(name)) {
        uint32_t id = 0;
        if (!materialIdFromText(text.trimmed(), &id, reason))
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
        const QVariant point = ProcessListFile::valueFromText(QStringLiteral("Util::Vector3D"), text);
        if (point.userType() != type || !Util::Vector3D(point).isStorable()) {
            *reason = QStringLiteral("it needs a point x;y;z of three numbers");
            return false;
        }
        *value = point;
        return true;
    }
    if (type == qMetaTypeId<MaskBitmap>()) {
        const size_t length = current.value<MaskBitmap>().size();
        static const QRegularExpression bits(QStringLiteral("^[01]*$"));
        if (!bits.match(text).hasMatch() || static_cast<size_t>(text.size()) != length) {
            *reason = QStringLiteral("a mask takes %1 characters 0 or 1, one per cell column").arg(length);
            return false;
        }
        *value = ProcessListFile::valueFromText(QStringLiteral("vector"), text);
        return true;
    }
    *reason = QStringLiteral("the list file gives it a type that cannot be read");
    return false;
}

QString readsNoParameterText(const QString &step, const QString &parameter, const QStringList &quotedNames)
{
    return QStringLiteral("%1 reads no parameter %2; the parameters it reads are %3")
        .arg(step, quotedText(parameter),
             quotedNames.isEmpty() ? QStringLiteral("none") : quotedNames.join(QStringLiteral(", ")));
}

QString notAValueText(const QString &value, const QString &parameter, const QString &step, const QString &reason)
{
    return QStringLiteral("%1 is not a value for %2 of %3: %4").arg(quotedText(value), quotedText(parameter), step, reason);
}

QString doesNotTakeText(const QString &step, bool several, const QString &why)
{
    return QStringLiteral("%1 does not take %2: %3")
        .arg(step, several ? QStringLiteral("these values") : QStringLiteral("this value"), why);
}

} // namespace BatchRun
} // namespace Core
