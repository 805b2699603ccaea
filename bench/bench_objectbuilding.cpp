// Building new volumes on the standard trench scene: gluing one trench scene onto
// another (the material array of a 256 x 256 x 81 result, flipped, measuring included)
// and extracting its silicon body (2.3 million cells) as a film. peak_MiB is the
// process's peak resident memory during that benchmark alone.

#include "benchcommon.h"

#include "Core/Operations/ObjectBuilding/volumebuilding.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using Model::Automaton::TotalVolume;

// Argument 0: the pool's thread count (0 = the machine's ideal count).
void glueTrenchOnTrench(benchmark::State &state)
{
    const int threads = BenchCommon::useThreads(state);
    const auto base = BenchCommon::makeTrenchScene();
    const auto top = BenchCommon::makeTrenchScene();
    BenchCommon::resetPeakMemory();
    size_t cells = 0;
    for (auto _ : state) {
        const Core::Operations::GlueContents contents = Core::Operations::measureGlueContents(*base, *top);
        Core::Operations::GlueLayout layout;
        layout.finalX = BenchCommon::trenchSizeX;
        layout.finalY = BenchCommon::trenchSizeY;
        layout.finalZ = contents.stackedHeight() + 1;
        layout.flip = true;
        const std::vector<uint32_t> ids = Core::Operations::glueMaterials(*base, *top, contents, layout);
        cells = ids.size();
        benchmark::DoNotOptimize(ids.data());
    }
    state.counters["threads"] = threads;
    state.counters["result_cells"] = static_cast<double>(cells);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

void extractSiliconFilm(benchmark::State &state)
{
    const auto source = BenchCommon::makeTrenchScene();
    BenchCommon::resetPeakMemory();
    size_t filled = 0;
    for (auto _ : state) {
        const std::vector<uint32_t> ids = Core::Operations::extractFilmMaterials(*source, 1, false);
        state.PauseTiming();
        filled = static_cast<size_t>(std::count(ids.begin(), ids.end(), 1u));
        state.ResumeTiming();
    }
    state.counters["film_cells"] = static_cast<double>(filled);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

} // namespace

BENCHMARK(glueTrenchOnTrench)->ArgName("threads")->Arg(0)->Arg(1)->Apply(BenchCommon::timedRuns);
BENCHMARK(extractSiliconFilm)->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
