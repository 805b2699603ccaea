#pragma once

#include "Core/BatchRun/processdata.h"
#include "Core/BatchRun/processlistrunner.h"

#include <QCommandLineOption>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

class QCommandLineParser;

namespace Cli {

// --set STEP.PARAMETER=VALUE (repeatable): replaces one parameter of one step of the
// loaded list before it runs, so that a sweep is one list run with different values.
// STEP counts from 1 as the step lines do; PARAMETER is a parameter the step reads, by
// the name the list file gives it, or a material by the name the list editor shows
// ("Material" for the material id beside it); VALUE is read as that parameter's type and must be one
// the step takes. The list file is not changed.
class ParameterOverrides
{
public:
    ParameterOverrides();
    void addTo(QCommandLineParser &parser) const;
    // Reads the options after parsing; false with `error` set when one is not of the
    // form STEP.PARAMETER=VALUE.
    bool read(const QCommandLineParser &parser, QString *error);
    // Reads and checks one step as its run would, changing nothing.
    using StepChecker = std::function<Core::BatchRun::ProcessListRunner::StepCheckResult(const Core::BatchRun::ProcessData &)>;
    // Sets every value in `list`, in the order given (a later --set of the same parameter
    // wins), then checks every step changed. False with `error` naming the option when
    // its step does not exist, the step does not read that parameter (the message names
    // those it reads), the value is not one of the parameter's type, or the step refuses
    // it; the list is then unchanged.
    bool apply(Core::BatchRun::ProcessList &list, const StepChecker &check, QString *error) const;
    bool isEmpty() const { return overrides.empty(); }
    // One replacement given by a program rather than the command line, read and checked
    // by apply() as --set STEP.PARAMETER=VALUE would be.
    void add(int step, const QString &parameter, const QString &value);

    // `text` read as the type of `current` (the parameter's value in the list); false
    // with the reason when it is not one. A material-id parameter also takes a material
    // name, and only names a material of the catalogue.
    static bool parseValue(const QString &name, const QVariant &current, const QString &text, QVariant *value,
                           QString *reason);

private:
    struct Override
    {
        QString option; // as given, for messages
        int step = 0;   // from 1
        QString parameter;
        QString value;
    };
    QCommandLineOption setOption;
    std::vector<Override> overrides;
};

} // namespace Cli
