#pragma once

#include "Core/BatchRun/processdata.h"
#include "Util/vector3d.h"

#include <QString>
#include <cstdint>

namespace Ui {

// Reads the parameters a step needs and remembers what went wrong: result() is 1 when
// any was absent, else 2 when any could not be converted to the type asked for, else 0
// (the result codes of a batch step).
// Logs why a step's value is not acceptable, after the step's name, and returns 2.
int32_t rejectStep(const ProcessData &step, const QString &reason);

class StepParameters
{
public:
    explicit StepParameters(const ProcessData &step) : step(step) {}

    uint32_t toUInt(const QString &name);
    int32_t toInt(const QString &name);
    float toFloat(const QString &name);
    double toDouble(const QString &name);
    bool toBool(const QString &name);
    QString toString(const QString &name);
    Util::Vector3D toVector3D(const QString &name);
    MaskBitmap toMask(const QString &name);

    // Marks a value that was read but is not acceptable (out of range, ...).
    void markInvalid() { invalid = true; }
    int32_t result() const { return missing ? 1 : (invalid ? 2 : 0); }

private:
    // The value, or an invalid variant (and the missing mark) when absent.
    QVariant fetch(const QString &name);

    const ProcessData &step;
    bool missing = false;
    bool invalid = false;
};

} // namespace Ui
