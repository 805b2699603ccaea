// The data export and the cantilever netlist of volumes made from the input: three
// bytes give the sizes (1 to 16 cells), then one byte per cell its material and four
// bytes per cell its particle count.
#include "fuzzsupport.h"

#include "Core/Operations/ExportData/csvdataexporter.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/blockdecomposition.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/istructure.h"

#include <QTextStream>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const uint32_t sizeX = 1u + data[0] % 16u, sizeY = 1u + data[1] % 16u, sizeZ = 1u + data[2] % 16u;
    const size_t cells = size_t(sizeX) * sizeY * sizeZ;
    data += 3;
    size -= 3;
    std::vector<uint32_t> ids(cells, 0u);
    for (size_t i = 0; i < cells && i < size; ++i)
        ids[i] = data[i] % 20u; // ids the catalogue does not hold included
    Model::Automaton::TotalVolume volume(sizeX, sizeY, sizeZ, 1.0f, 1.0f, 1.0f, Util::Vector3D(), ids);

    std::vector<int32_t> counts(cells * Model::Automaton::TotalVolume::particleFieldSlots, 0);
    const size_t countBytes = std::min(size > cells ? size - cells : 0, counts.size() * sizeof(int32_t));
    if (countBytes > 0)
        std::memcpy(counts.data(), data + cells, countBytes);
    QString text;
    QTextStream stream(&text);
    Core::Operations::CSVDataExporter::saveParticleData(stream, counts.data(), sizeX, sizeY, sizeZ);

    Model::ModelExtraction::CantileverModelRule rule(Model::ModelExtraction::CellLengths::of(volume, 1.0));
    const auto structure = rule.apply(Model::ModelExtraction::BlockDecomposition::decompose(volume));
    if (structure)
        structure->netlist();
    return 0;
}
