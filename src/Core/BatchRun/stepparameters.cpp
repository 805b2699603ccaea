#include "Core/BatchRun/stepparameters.h"

#include "Core/BatchRun/processlistrunner.h"

#include <QtDebug>

namespace Core {
namespace BatchRun {

namespace {
thread_local StepCheck *currentCheck = nullptr;
thread_local QString lastRejection;
} // namespace

StepCheck::StepCheck() : outer(currentCheck) { currentCheck = this; }

StepCheck::~StepCheck() { currentCheck = outer; }

StepCheck *StepCheck::active() { return currentCheck; }

int32_t rejectStep(const ProcessData &step, const QString &reason)
{
    if (StepCheck *check = StepCheck::active())
        check->rejection = reason;
    else {
        qWarning().noquote() << step.getProcessName() << ":" << reason;
        lastRejection = reason;
    }
    return ProcessListRunner::InvalidParameter;
}

QString takeStepRejection()
{
    QString reason;
    reason.swap(lastRejection);
    return reason;
}

int32_t StepParameters::result() const
{
    if (missing)
        return ProcessListRunner::MissingParameter;
    return invalid ? ProcessListRunner::InvalidParameter : ProcessListRunner::Success;
}

QVariant StepParameters::fetch(const QString &name)
{
    if (StepCheck *check = StepCheck::active())
        if (!check->parametersRead.contains(name))
            check->parametersRead << name;
    // A parameter whose type the file did not know is stored invalid: it counts as absent.
    const QVariant value = step.getProcessParameter(name);
    if (!value.isValid())
        missing = true;
    return value;
}

uint32_t StepParameters::toUInt(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return 0;
    bool ok = false;
    const uint result = v.toUInt(&ok);
    // A negative signed value converts "successfully" to a huge unsigned one.
    if (ok && (v.userType() == QMetaType::Int || v.userType() == QMetaType::LongLong) &&
        v.toLongLong() < 0)
        ok = false;
    if (!ok)
        invalid = true;
    return ok ? static_cast<uint32_t>(result) : 0;
}

int32_t StepParameters::toInt(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return 0;
    bool ok = false;
    const int result = v.toInt(&ok);
    if (!ok)
        invalid = true;
    return ok ? result : 0;
}

float StepParameters::toFloat(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return 0.0f;
    bool ok = false;
    const float result = v.toFloat(&ok);
    if (!ok)
        invalid = true;
    return ok ? result : 0.0f;
}

double StepParameters::toDouble(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return 0.0;
    bool ok = false;
    const double result = v.toDouble(&ok);
    if (!ok)
        invalid = true;
    return ok ? result : 0.0;
}

bool StepParameters::toBool(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return false;
    switch (v.userType()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v.toBool();
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        if (text == QLatin1String("true") || text == QLatin1String("1"))
            return true;
        if (text == QLatin1String("false") || text == QLatin1String("0"))
            return false;
        break;
    }
    default:
        break;
    }
    invalid = true;
    return false;
}

QString StepParameters::toString(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return QString();
    if (!v.canConvert<QString>()) {
        invalid = true;
        return QString();
    }
    return v.toString();
}

Util::Vector3D StepParameters::toVector3D(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return Util::Vector3D();
    // A position a document could not hold back is as invalid as a wrong type.
    if (v.userType() != qMetaTypeId<Util::Vector3D>() || !Util::Vector3D(v).isStorable()) {
        invalid = true;
        return Util::Vector3D();
    }
    return Util::Vector3D(v);
}

MaskBitmap StepParameters::toMask(const QString &name)
{
    const QVariant v = fetch(name);
    if (!v.isValid())
        return MaskBitmap();
    if (v.userType() != qMetaTypeId<MaskBitmap>()) {
        invalid = true;
        return MaskBitmap();
    }
    return v.value<MaskBitmap>();
}

} // namespace BatchRun
} // namespace Core
