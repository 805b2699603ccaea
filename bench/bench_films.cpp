// Deposition and etching automata on the standard trench scene: isotropic deposition of
// 10 units of material 3, anisotropic etching of 10 units of silicon at ratio 0.5 from
// the open top, Moore deposition of 5 cells of material 3. Each iteration starts from
// the untouched scene (restored outside the timing). peak_MiB is the process's peak
// resident memory during that benchmark alone; cell_MiB the volume's cell memory.

#include "benchcommon.h"

#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetching.h"
#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdeposition.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhooddeposition.h"

#include <QThread>
#include <QThreadPool>
#include <benchmark/benchmark.h>
#include <fstream>
#include <functional>

namespace {

using Model::Automaton::TotalVolume;

// Resets the kernel's peak-resident-memory mark of this process.
void resetPeakMemory()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

void restoreTrench(TotalVolume *volume)
{
    Model::Automaton::Voxel *cells = volume->lockVoxels();
    for (uint32_t x = 0; x < BenchCommon::trenchSizeX; ++x)
        for (uint32_t y = 0; y < BenchCommon::trenchSizeY; ++y)
            for (uint32_t z = 0; z < BenchCommon::trenchSizeZ; ++z)
                cells[volume->index(x, y, z)].setMaterialId(BenchCommon::trenchMaterial(x, y, z));
    volume->unlockVoxels();
}

// Argument 0: the pool's thread count (0 = the machine's ideal count).
void runOnTrench(benchmark::State &state, const std::function<void(TotalVolume *)> &process)
{
    const int threads = state.range(0) > 0 ? static_cast<int>(state.range(0)) : QThread::idealThreadCount();
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    const auto volume = BenchCommon::makeTrenchScene();
    resetPeakMemory();
    size_t changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        restoreTrench(volume.get());
        state.ResumeTiming();
        process(volume.get());
        state.PauseTiming();
        changed = 0;
        {
            Model::Automaton::VoxelLock cells(*volume);
            for (size_t i = 0; i < volume->getCellCount(); ++i)
                changed += cells[i].getMaterialId() == 3 || cells[i].getMaterialId() == 0;
        }
        state.ResumeTiming();
    }
    state.counters["threads"] = threads;
    state.counters["cells_0_or_3"] = static_cast<double>(changed);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
    state.counters["cell_MiB"] = static_cast<double>(volume->getCellCount() * sizeof(Model::Automaton::Voxel)) / (1024.0 * 1024.0);
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

void isotropicDeposition(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) { Core::Operations::IsotropicFilmDeposition(v, 3, 10.0f).simulate(); });
}

void anisotropicEtching(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) { Core::Operations::AnisotropicFilmEtching(v, 1, 10.0f, 0.5f).simulate(); });
}

void mooreDeposition(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) { Core::Operations::MooreNeighborhoodDeposition(v, 3, 5).run(); });
}

} // namespace

BENCHMARK(isotropicDeposition)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(anisotropicEtching)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(mooreDeposition)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
