// The analysis outputs. csvExport writes the particle-count table of a 128 x 128 x 64
// volume doped throughout (every cell's seven slots hold counts) to a file; MB_per_s is
// the table's size over the median time. cantileverExtraction runs the extraction's
// three steps (blocks, cantilever rule, netlist text) on the final volume of
// examples/cantilever.plst, and on the standard trench scene for scale.

#include "benchcommon.h"

#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/ExportData/csvdataexporter.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/blockdecomposition.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/Process/processfactory.h"
#include "Model/scene.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <random>

namespace {

using Model::Automaton::TotalVolume;

void csvExport(benchmark::State &state)
{
    constexpr uint32_t sx = 128, sy = 128, sz = 64;
    TotalVolume volume(sx, sy, sz, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    int32_t *counts = volume.createParticleField(Core::Operations::RandomWalkDoping::fieldNameN);
    std::mt19937 random(1);
    for (size_t i = 0; i < volume.getCellCount() * TotalVolume::particleFieldSlots; ++i)
        counts[i] = static_cast<int32_t>(random() % 50);
    QTemporaryDir dir;
    const QString fileName = dir.filePath("counts.csv");
    BenchCommon::resetPeakMemory();
    for (auto _ : state) {
        Core::Operations::CSVDataExporter exporter(fileName);
        if (exporter.saveDataToFile(Core::Operations::RandomWalkDoping::fieldNameN, counts, sx, sy, sz) != 0)
            state.SkipWithError("the table could not be written");
    }
    const double megabytes = static_cast<double>(QFileInfo(fileName).size()) / 1e6;
    state.counters["file_MB"] = megabytes;
    state.counters["MB_per_s"] =
        benchmark::Counter(megabytes * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

std::shared_ptr<TotalVolume> cantileverExample()
{
    Core::BatchRun::ProcessList list;
    QString reason;
    if (!Core::BatchRun::ProcessListFile::load(QStringLiteral(KELVANE_EXAMPLES_DIR "/cantilever.plst"), list, nullptr, &reason))
        return nullptr;
    Model::Scene scene;
    std::map<int32_t, int32_t> lastProcess;
    std::map<int32_t, bool> latticeStale;
    Core::BatchRun::ProcessListRunner runner(scene, lastProcess, latticeStale);
    runner.setImageSaver([](const QString &) { return true; });
    runner.run(list);
    return runner.getVolume();
}

void extract(benchmark::State &state, TotalVolume &volume)
{
    size_t blocks = 0, beams = 0, characters = 0;
    for (auto _ : state) {
        const Model::ModelExtraction::BlockList list = Model::ModelExtraction::BlockDecomposition::decompose(volume);
        Model::ModelExtraction::CantileverModelRule rule(Model::ModelExtraction::CellLengths::of(volume, 1.0));
        const auto structure = rule.apply(list);
        const QString netlist = structure ? structure->netlist() : QString();
        blocks = list.size();
        beams = rule.getBeams().size();
        characters = static_cast<size_t>(netlist.size());
    }
    state.counters["cells"] = static_cast<double>(volume.getCellCount());
    state.counters["blocks"] = static_cast<double>(blocks);
    state.counters["beams"] = static_cast<double>(beams);
    state.counters["netlist_chars"] = static_cast<double>(characters);
}

void cantileverExtraction(benchmark::State &state)
{
    const auto volume = cantileverExample();
    if (!volume) {
        state.SkipWithError("examples/cantilever.plst did not run");
        return;
    }
    extract(state, *volume);
}

void trenchExtraction(benchmark::State &state)
{
    const auto volume = BenchCommon::makeTrenchScene();
    extract(state, *volume);
}

} // namespace

BENCHMARK(csvExport)->Apply(BenchCommon::timedRuns);
BENCHMARK(cantileverExtraction)->Apply(BenchCommon::timedRuns);
BENCHMARK(trenchExtraction)->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();
    return BenchCommon::runAll(argc, argv);
}
