#pragma once

#include "Core/BatchRun/processdata.h"
#include "Util/vector3d.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace Core {
namespace BatchRun {

// Logs why a step's value is not acceptable, after the step's name, and returns
// ProcessListRunner::InvalidParameter.
// While a step is only being checked, the reason goes to the check instead.
int32_t rejectStep(const ProcessData &step, const QString &reason);
// The reason the last step run on this thread gave rejectStep() outside a check, and
// forgets it; empty when it gave none.
QString takeStepRejection();

// Checking a step without running it: while one lives on a thread, the step handlers
// called there read and check their values as they do before a run, note every
// parameter they read and the reason they refuse a value, and return before they change
// anything (StepParameters::checkOnly()). So the one place that reads a step also tells
// what it reads and which values it takes.
class StepCheck
{
public:
    StepCheck();
    ~StepCheck();
    StepCheck(const StepCheck &) = delete;
    StepCheck &operator=(const StepCheck &) = delete;

    // The check going on on this thread, or nullptr.
    static StepCheck *active();

    QStringList parametersRead; // in the order read, each once
    QString rejection;          // why the step refuses its values, when it does

private:
    StepCheck *outer;
};

// Reads the parameters a step needs and remembers what went wrong: result() is
// MissingParameter when any was absent, else InvalidParameter when any could not be
// converted to the type asked for, else Success (ProcessListRunner's step results).
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
    int32_t result() const;
    // True while the step is only being checked (StepCheck): it returns 0 here, after
    // every value was read and checked, instead of running.
    static bool checkOnly() { return StepCheck::active() != nullptr; }

private:
    // The value, or an invalid variant (and the missing mark) when absent.
    QVariant fetch(const QString &name);

    const ProcessData &step;
    bool missing = false;
    bool invalid = false;
};

} // namespace BatchRun
} // namespace Core
