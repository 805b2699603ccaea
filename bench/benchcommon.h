#pragma once

// Helpers shared by the benchmarks: the standard scenes, peak memory, and a private
// home folder so that the catalogues never touch the user's own files.

#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QThreadPool>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace BenchCommon {

// Points HOME at a temporary folder for the lifetime of the object; create it in main()
// before anything reaches a catalogue.
class TemporaryHome
{
public:
    TemporaryHome() : dir(QDir::tempPath() + "/kelvane-bench-home-XXXXXX")
    {
        previous = qgetenv("HOME");
        if (dir.isValid())
            qputenv("HOME", dir.path().toLocal8Bit());
    }
    ~TemporaryHome() { qputenv("HOME", previous); }
    TemporaryHome(const TemporaryHome &) = delete;
    TemporaryHome &operator=(const TemporaryHome &) = delete;

private:
    QTemporaryDir dir;
    QByteArray previous;
};

// The standard trench scene: 256 x 256 x 128 unit cells; the bottom 40 layers are
// silicon (material 1) except 12-cell-wide, 15-deep trenches every 32 cells along x
// (x mod 32 in [0, 12), z in [25, 40)), which are empty like everything above.
constexpr uint32_t trenchSizeX = 256;
constexpr uint32_t trenchSizeY = 256;
constexpr uint32_t trenchSizeZ = 128;

inline uint32_t trenchMaterial(uint32_t x, uint32_t, uint32_t z)
{
    if (z >= 40)
        return 0;
    if (z >= 25 && x % 32 < 12)
        return 0;
    return 1;
}

// Puts the trench scene's materials back into a volume of the trench scene's size.
inline void restoreTrench(Model::Automaton::TotalVolume *volume)
{
    Model::Automaton::VoxelLock cells(*volume);
    for (uint32_t x = 0; x < trenchSizeX; ++x)
        for (uint32_t y = 0; y < trenchSizeY; ++y)
            for (uint32_t z = 0; z < trenchSizeZ; ++z)
                cells[volume->index(x, y, z)].setMaterialId(trenchMaterial(x, y, z));
}

inline std::shared_ptr<Model::Automaton::TotalVolume> makeTrenchScene()
{
    auto volume = std::make_shared<Model::Automaton::TotalVolume>(
        trenchSizeX, trenchSizeY, trenchSizeZ, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    restoreTrench(volume.get());
    return volume;
}

// Resets the kernel's peak-resident-memory mark of this process.
inline void resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

// Sets the global pool to argument 0 of the benchmark (0 = the machine's ideal count)
// and returns the thread count used.
inline int useThreads(const benchmark::State &state)
{
    const int threads = state.range(0) > 0 ? static_cast<int>(state.range(0)) : QThread::idealThreadCount();
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    return threads;
}

// Peak resident memory of the process (VmHWM) in KiB, or -1 when unknown.
inline long peakMemoryKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmHWM:") == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Runs `process` on the trench scene once per iteration, each time from the untouched
// scene (restored outside the timing), with argument 0 as the pool's thread count.
// `tally` counts cells of the result (outside the timing) for the counter `tallyName`;
// peak_MiB is the peak resident memory during the benchmark, cell_MiB the cell memory.
inline void runOnTrench(benchmark::State &state,
                        const std::function<void(Model::Automaton::TotalVolume *)> &process,
                        const char *tallyName,
                        const std::function<size_t(Model::Automaton::TotalVolume &)> &tally)
{
    const int threads = useThreads(state);
    const auto volume = makeTrenchScene();
    resetPeakMemory();
    size_t counted = 0;
    for (auto _ : state) {
        state.PauseTiming();
        restoreTrench(volume.get());
        state.ResumeTiming();
        process(volume.get());
        state.PauseTiming();
        counted = tally(*volume);
        state.ResumeTiming();
    }
    state.counters["threads"] = threads;
    state.counters[tallyName] = static_cast<double>(counted);
    state.counters["peak_MiB"] = static_cast<double>(peakMemoryKiB()) / 1024.0;
    state.counters["cell_MiB"] =
        static_cast<double>(volume->getCellCount() * sizeof(Model::Automaton::Voxel)) / (1024.0 * 1024.0);
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

// The body of every benchmark program's main(), after its TemporaryHome.
// How every benchmark here is timed: wall milliseconds, five repetitions, and only the
// mean, median and spread reported.
inline void timedRuns(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
}

inline int runAll(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace BenchCommon
