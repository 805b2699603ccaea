// Saving and opening a document holding the standard trench scene (256 x 256 x 128).
// open_peak_MiB is the growth of the process's peak resident memory over what it held
// before the open; cell_MiB is the volume's own cell memory.

#include "benchcommon.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Materials/materialreconciler.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentfile.h"
#include "Model/scene.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>

using BenchCommon::resetPeakMemory;

namespace {

using Model::Persistence::DocumentFile;

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::stol(line.substr(6));
    return -1;
}

constexpr double cellMiB =
    double(BenchCommon::trenchSizeX) * BenchCommon::trenchSizeY * BenchCommon::trenchSizeZ *
    sizeof(Model::Automaton::Voxel) / (1024.0 * 1024.0);

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString documentPath() { return folder().filePath("trench.mem"); }

void saveTrench(benchmark::State &state)
{
    const Model::Persistence::ArchiverRegistry archivers;
    Model::Scene scene;
    scene.add(BenchCommon::makeTrenchScene());
    for (auto _ : state) {
        const auto result = DocumentFile::save(scene, documentPath(), archivers);
        if (!result.ok())
            state.SkipWithError("save failed");
    }
    state.counters["file_MiB"] = double(QFileInfo(documentPath()).size()) / (1024.0 * 1024.0);
    state.counters["cell_MiB"] = cellMiB;
}

void openTrench(benchmark::State &state)
{
    const Model::Persistence::ArchiverRegistry archivers;
    {
        Model::Scene scene;
        scene.add(BenchCommon::makeTrenchScene());
        if (!DocumentFile::save(scene, documentPath(), archivers).ok()) {
            state.SkipWithError("save failed");
            return;
        }
    }
    const Model::Materials::MaterialReconciler materials(nullptr, [](const std::string &) {});
    long growth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const long before = residentKiB();
        resetPeakMemory();
        state.ResumeTiming();
        {
            Model::Scene scene;
            if (!DocumentFile::open(documentPath(), scene, archivers, materials).ok())
                state.SkipWithError("open failed");
            state.PauseTiming();
            growth = std::max(growth, BenchCommon::peakMemoryKiB() - before);
        }
        state.ResumeTiming();
    }
    state.counters["open_peak_MiB"] = double(growth) / 1024.0;
    state.counters["cell_MiB"] = cellMiB;
}

BENCHMARK(saveTrench)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(openTrench)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    Model::Materials::MaterialFactory::instance();
    return BenchCommon::runAll(argc, argv);
}
