#include "cli/volumeexports.h"

#include "Core/Operations/ExportData/csvdataexporter.h"
#include "Core/Operations/ModelExtraction/netlistfile.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/blockdecomposition.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"

namespace Cli {

bool writeNetlist(Model::Automaton::TotalVolume &volume, const QString &fileName, QString *error)
{
    Model::ModelExtraction::CantileverModelRule rule;
    const Model::ModelExtraction::StructurePtr structure =
        rule.apply(Model::ModelExtraction::BlockDecomposition::decompose(volume));
    if (!structure) {
        *error = QStringLiteral("no model data was extracted: the final cell volume has no free-standing beam");
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
