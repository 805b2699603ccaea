// Random-walk doping of a 128 x 128 x 64 silicon block with one empty layer above it:
// cell size 0.1 um, D = 2.6e-14 cm^2/s, the time step that gives a stay probability of
// 0.5, surface concentration 1e18 cm^-3, threshold 10 %, 100 steps, one thread. Each
// iteration dopes a fresh block (made outside the timing), so the field is created and
// filled from zero. cell_steps_per_s counts the block's cells times the steps; peak_MiB
// is the process's peak resident memory during the benchmark alone; cell_steps_per_cpu_s
// divides by the processor time of the doping instead of the wall-clock time.

#include "benchcommon.h"

#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"

#include <benchmark/benchmark.h>
#include <ctime>
#include <fstream>

using BenchCommon::resetPeakMemory;

namespace {

using Model::Automaton::TotalVolume;

constexpr uint32_t sizeX = 128;
constexpr uint32_t sizeY = 128;
constexpr uint32_t blockZ = 64;
constexpr int steps = 100;

std::shared_ptr<TotalVolume> makeBlock()
{
    auto volume = std::make_shared<TotalVolume>(sizeX, sizeY, blockZ + 1, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    Model::Automaton::VoxelLock cells(*volume);
    for (uint32_t x = 0; x < sizeX; ++x)
        for (uint32_t y = 0; y < sizeY; ++y)
            for (uint32_t z = 0; z < blockZ; ++z)
                cells[volume->index(x, y, z)].setMaterialId(1);
    return volume;
}

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void randomWalkDoping(benchmark::State &state)
{
    const float h = 1e-7f;
    const float d = 2.6e-18f;
    const float dt = h * h / (12.0f * d);
    const float cs = 1e24f;
    resetPeakMemory();
    size_t doped = 0;
    double cpu = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        auto volume = makeBlock();
        state.ResumeTiming();
        const double start = cpuSeconds();
        Core::Operations::RandomWalkDoping doping(volume.get(), 14, d, h, dt, cs, cs * 0.1f, 12345u);
        doping.dope(dt * (steps + 0.5f));
        cpu += cpuSeconds() - start;
        state.PauseTiming();
        doped = 0;
        {
            Model::Automaton::VoxelLock cells(*volume);
            for (size_t i = 0; i < volume->getCellCount(); ++i)
                doped += cells[i].getMaterialId() == 14;
        }
        volume.reset();
        state.ResumeTiming();
    }
    const double cellSteps = static_cast<double>(sizeX) * sizeY * blockZ * steps;
    state.counters["cell_steps_per_s"] = benchmark::Counter(cellSteps, benchmark::Counter::kIsIterationInvariantRate);
    // The same per second of processor time: the figure that does not depend on what
    // else the machine is running.
    state.counters["cell_steps_per_cpu_s"] = cellSteps * static_cast<double>(state.iterations()) / cpu;
    state.counters["doped_cells"] = static_cast<double>(doped);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

} // namespace

BENCHMARK(randomWalkDoping)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
