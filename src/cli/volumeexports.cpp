#include "cli/volumeexports.h"

#include "Core/Operations/ExportData/csvdataexporter.h"
#include "Core/Operations/ModelExtraction/netlistfile.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/blockdecomposition.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/cantileverstructure.h"

#include <QCommandLineParser>

namespace Cli {

bool writeNetlist(Model::Automaton::TotalVolume &volume, const QString &fileName, double micrometresPerUnit,
                  QString *error)
{
    using namespace Model::ModelExtraction;
    CantileverModelRule rule(CellLengths::of(volume, micrometresPerUnit));
    const auto structure =
        std::dynamic_pointer_cast<CantileverStructure>(rule.apply(BlockDecomposition::decompose(volume)));
    if (!structure) {
        *error = QStringLiteral("no model data was extracted: the final cell volume has no free-standing beam");
        return false;
    }
    const QString problem = structure->problem();
    if (!problem.isEmpty()) {
        *error = QStringLiteral("no netlist can be made: ") + problem;
        return false;
    }
    return Core::Operations::NetlistFile::save(fileName, structure->netlist(), error);
}

bool writeParticleCounts(Model::Automaton::TotalVolume &volume, const QString &fileName, QString field,
                         QString *error)
{
    using Core::Operations::RandomWalkDoping;
    const QStringList known = {RandomWalkDoping::fieldNameN, RandomWalkDoping::fieldNameP};
    if (field.isEmpty()) {
        for (const QString &name : known) {
            if (volume.particleField(name)) {
                field = name;
                break;
            }
        }
        if (field.isEmpty()) {
            *error = QStringLiteral("the final cell volume holds no particle counts (a random-walk doping step "
                                    "makes them)");
            return false;
        }
    } else if (!known.contains(field)) {
        *error = QStringLiteral("\"%1\" is not a particle-count field; the fields are \"%2\"")
                     .arg(field, known.join(QStringLiteral("\" and \"")));
        return false;
    }
    Core::Operations::CSVDataExporter exporter(fileName);
    int result;
    {
        Model::Automaton::VoxelLock lock(volume);
        const int32_t *counts = volume.particleField(field);
        if (!counts) {
            *error = QStringLiteral("the final cell volume holds no \"%1\"").arg(field);
            return false;
        }
        result = exporter.saveDataToFile(field, counts, volume.getSizeX(), volume.getSizeY(), volume.getSizeZ());
    }
    if (result != 0)
        *error = exporter.errorString();
    return result == 0;
}

} // namespace Cli

namespace Cli {

VolumeExports::VolumeExports()
    : netlistOption(QStringLiteral("netlist"),
                    QStringLiteral("Extract the cantilever beams of the final cell volume and write their netlist."),
                    QStringLiteral("OUT.cir")),
      netlistUnitOption(QStringLiteral("netlist-unit"),
                        QStringLiteral("How many micrometres one model unit (the unit of the cell size) is, for "
                                       "the beam sizes in --netlist (default 1)."),
                        QStringLiteral("MICROMETRES")),
      csvOption(QStringLiteral("csv"), QStringLiteral("Write the final cell volume's dopant particle counts as CSV."),
                QStringLiteral("OUT.csv")),
      csvFieldOption(QStringLiteral("csv-field"),
                     QStringLiteral("The particle-count field --csv writes: \"Random Walk Particle Count Type N\" or "
                                    "\"... Type P\" (default: the first the volume holds)."),
                     QStringLiteral("NAME"))
{
}

void VolumeExports::addTo(QCommandLineParser &parser) const
{
    parser.addOptions({netlistOption, netlistUnitOption, csvOption, csvFieldOption});
}

bool VolumeExports::read(const QCommandLineParser &parser,
                         const WritableCheck &checkWritable, QString *error)
{
    netlistPath = parser.value(netlistOption);
    csvPath = parser.value(csvOption);
    csvField = parser.value(csvFieldOption);
    QString reason;
    if (!netlistPath.isEmpty() && !checkWritable(netlistPath, &reason)) {
        *error = QStringLiteral("cannot write the netlist: ") + reason;
        return false;
    }
    if (!csvPath.isEmpty() && !checkWritable(csvPath, &reason)) {
        *error = QStringLiteral("cannot write the CSV file: ") + reason;
        return false;
    }
    if (parser.isSet(netlistUnitOption)) {
        bool ok = false;
        const QString text = parser.value(netlistUnitOption);
        micrometresPerUnit = text.toDouble(&ok);
        if (!ok || !Model::ModelExtraction::CellLengths::validMicrometresPerUnit(micrometresPerUnit)) {
            *error = QStringLiteral("--netlist-unit needs a positive number of micrometres per model unit, not '%1'")
                         .arg(text);
            return false;
        }
        if (netlistPath.isEmpty()) {
            *error = QStringLiteral("--netlist-unit needs --netlist");
            return false;
        }
    }
    if (parser.isSet(csvFieldOption) && csvPath.isEmpty()) {
        *error = QStringLiteral("--csv-field needs --csv");
        return false;
    }
    return true;
}

bool VolumeExports::write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume,
                          const Report &report) const
{
    bool ok = true;
    auto one = [&](const QString &path, const QString &what, const std::function<bool(QString *)> &writer) {
        if (path.isEmpty())
            return;
        QString error = QStringLiteral("there is no cell volume");
        if (volume && writer(&error))
            return;
        report(QStringLiteral("cannot write the %1 %2: %3").arg(what, path, error));
        ok = false;
    };
    one(netlistPath, QStringLiteral("netlist"),
        [&](QString *error) { return writeNetlist(*volume, netlistPath, micrometresPerUnit, error); });
    one(csvPath, QStringLiteral("CSV file"),
        [&](QString *error) { return writeParticleCounts(*volume, csvPath, csvField, error); });
    return ok;
}

} // namespace Cli
