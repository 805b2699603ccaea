#pragma once

#include "Core/BatchRun/processdata.h"

#include <QCommandLineOption>
#include <QString>
#include <QVariant>
#include <vector>

class QCommandLineParser;

namespace Cli {

// --set STEP.PARAMETER=VALUE (repeatable): replaces one parameter of one step of the
// loaded list before it runs, so that a sweep is one list run with different values.
// STEP counts from 1 as the step lines do; PARAMETER is the name the list file gives
// the parameter; VALUE is read as that parameter's type. The list file is not changed.
class ParameterOverrides
{
public:
    ParameterOverrides();
    void addTo(QCommandLineParser &parser) const;
    // Reads the options after parsing; false with `error` set when one is not of the
    // form STEP.PARAMETER=VALUE.
    bool read(const QCommandLineParser &parser, QString *error);
    // Sets every value in `list`, in the order given (a later --set of the same parameter
    // wins). False with `error` naming the option when its step or parameter does not
    // exist or its value is not one of the parameter's type; the list is then unchanged.
    bool apply(Ui::ProcessList &list, QString *error) const;
    bool isEmpty() const { return overrides.empty(); }

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
