#pragma once

#include "cli/finaloutput.h"

#include <QCommandLineOption>

namespace Cli {

// Extracts the volume's cantilever beams (blocks, the cantilever rule, the netlist, as
// the Extract Model dialog's three steps do) and writes the netlist, with
// `micrometresPerUnit` micrometres to the volume's model unit. False with `error` set when
// no beam is found, a beam cannot be modelled or the file cannot be written (an existing
// file then stays).
bool writeNetlist(Model::Automaton::TotalVolume &volume, const QString &fileName, double micrometresPerUnit,
                  QString *error);

// Writes the particle-count field `field` as the CSV export does; an empty `field` takes
// the first field the volume holds ("... Type N" before "... Type P"). False with
// `error` set when the volume has no such field or the file cannot be written.
bool writeParticleCounts(Model::Automaton::TotalVolume &volume, const QString &fileName, QString field,
                         QString *error);

// The outputs written from the final cell volume after the run: --netlist with
// --netlist-unit, --csv and --csv-field.
class VolumeExports : public FinalOutput
{
public:
    VolumeExports();
    void addTo(QCommandLineParser &parser) const override;
    // Reads the options after parsing; false with `error` set for a usage error (an
    // output that cannot be written, --csv-field without --csv, a --netlist-unit that is
    // not a positive number or comes without --netlist).
    bool read(const QCommandLineParser &parser, const WritableCheck &checkWritable, QString *error) override;
    // Writes what was asked for; every failure is reported and makes the result false.
    bool write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume, const Report &report) const override;

private:
    QCommandLineOption netlistOption;
    QCommandLineOption netlistUnitOption;
    QCommandLineOption csvOption;
    QCommandLineOption csvFieldOption;
    QString netlistPath;
    double micrometresPerUnit = 1.0;
    QString csvPath;
    QString csvField;
};

} // namespace Cli
