#pragma once

#include "Core/Metrology/measurementplan.h"
#include "cli/finaloutput.h"

#include <QCommandLineOption>
#include <QStringList>
#include <optional>
#include <set>
#include <vector>

namespace Cli {

// --measure FILE with --measure-out RESULTS.csv|RESULTS.json and --measure-after-step N:
// the measurements of FILE taken on the final volume (and after each step N as well),
// written as one row of results beside the list and its --set values. A measurement that
// cannot be taken leaves its value empty and is reported as a warning (unless --quiet);
// the run does not fail for it.
class MeasureOutput : public FinalOutput
{
public:
    MeasureOutput();
    void addTo(QCommandLineParser &parser) const override;
    bool read(const QCommandLineParser &parser, const WritableCheck &checkWritable, QString *error) override;
    bool write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume, const Report &report) const override;

    // The run's identity in the row: the list and its --set assignments.
    void setRun(const QString &list, const QStringList &assignments);
    // Called after each step that ran (0-based index): takes the measurements when the
    // step is one of --measure-after-step. Measurements not taken are warned of.
    void stepDone(int index, Model::Automaton::TotalVolume *volume);

private:
    QCommandLineOption measureOption;
    QCommandLineOption outOption;
    QCommandLineOption afterOption;
    Core::Metrology::MeasurementPlan plan;
    QString outPath;
    std::set<int> afterSteps; // 1-based, as given
    QString listPath;
    QStringList setColumns, setValues;
    QStringList stepColumns;
    std::vector<std::optional<double>> stepValues;
};

} // namespace Cli
