// Marching-cubes surface generation of the standard trench scene.

#include "benchcommon.h"

#include "Model/Automaton/marchingcubesurface.h"

#include <QThread>
#include <QThreadPool>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

// CPU time of the whole process (every thread) so far, in milliseconds: a measure of
// the work that does not depend on what else the machine runs.
double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-3;
}

// Argument 0: the pool's thread count (0 = the machine's ideal count). peak_MiB is the
// process's peak during the benchmark (the cells, cell_MiB, included); surface_MiB the
// triangles kept; process_cpu_ms the CPU time of all threads per regeneration.
void marchingCubesTrench(benchmark::State &state)
{
    const int threads = BenchCommon::useThreads(state);
    const auto volume = BenchCommon::makeTrenchScene();
    Model::Automaton::MarchingCubeSurface surface(volume.get());
    const Model::Automaton::MarchingCubeSurface::CellCorner cutMin = {0, 0, 0};
    const Model::Automaton::MarchingCubeSurface::CellCorner cutMax = {
        int32_t(volume->getSizeX()), int32_t(volume->getSizeY()), int32_t(volume->getSizeZ())};
    BenchCommon::resetPeakMemory();
    const double cpuBefore = processCpuMs();
    for (auto _ : state) {
        surface.regenerate(cutMin, cutMax);
        benchmark::DoNotOptimize(surface.triangleCount());
    }
    const double cpu = processCpuMs() - cpuBefore;
    const long peak = BenchCommon::peakMemoryKiB();
    state.counters["process_cpu_ms"] = cpu / static_cast<double>(state.iterations());
    state.counters["triangles"] = static_cast<double>(surface.triangleCount());
    state.counters["threads"] = threads;
    state.counters["peak_MiB"] = static_cast<double>(peak) / 1024.0;
    state.counters["cell_MiB"] =
        static_cast<double>(volume->getCellCount() * sizeof(Model::Automaton::Voxel)) / (1024.0 * 1024.0);
    state.counters["surface_MiB"] =
        static_cast<double>(surface.triangleCount() * sizeof(Model::Automaton::Triangle)) / (1024.0 * 1024.0);
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

} // namespace

// The target case first: two threads.
BENCHMARK(marchingCubesTrench)
    ->ArgNames({"threads"})
    ->Arg(2)
    ->Arg(1)
    ->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
