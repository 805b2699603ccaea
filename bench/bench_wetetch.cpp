// The silicon lattice and the wet etches on a 100 x 100 x 80 volume.
//
// latticeBuild: the lattice of an all-silicon volume (about 2.4 million atoms); atoms,
// bytes_per_atom (everything the lattice holds) and lattice_MiB are counted.
// atomisticEtch / continuousEtch: depth 10 through a 40 x 40 opening of a 2-cell oxide
// mask (silicon below z = 76, the mask at z = 76 and 77, empty above), each iteration on
// the untouched scene (restored outside the timing). Argument "build" 1 times the
// lattice build too, as the operation does on a volume without a current lattice; 0
// times the etch alone. peak_MiB is the process's peak resident memory during the
// benchmark. For the continuous etch, depth 10 takes the free (100) floor 10 units down
// and "steps" counts its time steps, each ending where the next atoms run out.

#include "benchcommon.h"

#include "Core/Operations/AtomisticWetEtching/atomisticwetetch.h"
#include "Core/Operations/ContinuousWetEtching/continuouswetetch.h"
#include "Model/Automaton/silattice.h"

#include <QThread>
#include <QThreadPool>
#include <benchmark/benchmark.h>
#include <fstream>

using BenchCommon::resetPeakMemory;

namespace {

using Model::Automaton::TotalVolume;

constexpr uint32_t sizeX = 100, sizeY = 100, sizeZ = 80;

uint32_t maskScene(uint32_t x, uint32_t y, uint32_t z)
{
    if (z < 76)
        return 1;
    if (z < 78 && !(x >= 30 && x < 70 && y >= 30 && y < 70))
        return 3;
    return 0;
}

void fill(TotalVolume *volume, uint32_t (*rule)(uint32_t, uint32_t, uint32_t))
{
    Model::Automaton::VoxelLock cells(*volume);
    for (uint32_t x = 0; x < sizeX; ++x)
        for (uint32_t y = 0; y < sizeY; ++y)
            for (uint32_t z = 0; z < sizeZ; ++z)
                cells[volume->index(x, y, z)].setMaterialId(rule(x, y, z));
}

std::shared_ptr<TotalVolume> makeVolume()
{
    return std::make_shared<TotalVolume>(sizeX, sizeY, sizeZ, 1.0f, 1.0f, 1.0f, Util::Vector3D());
}

void latticeBuild(benchmark::State &state)
{
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
    const auto volume = makeVolume();
    fill(volume.get(), [](uint32_t, uint32_t, uint32_t) { return 1u; });
    resetPeakMemory();
    for (auto _ : state)
        volume->createLattice();
    const auto lattice = volume->getLattice();
    state.counters["atoms"] = static_cast<double>(lattice->cellAtomCount());
    state.counters["bytes_per_atom"] =
        static_cast<double>(lattice->memoryBytes()) / static_cast<double>(lattice->cellAtomCount());
    state.counters["lattice_MiB"] = static_cast<double>(lattice->memoryBytes()) / (1024.0 * 1024.0);
    state.counters["cell_MiB"] =
        static_cast<double>(volume->getCellCount() * sizeof(Model::Automaton::Voxel)) / (1024.0 * 1024.0);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

template <class Etch>
void etchScene(benchmark::State &state)
{
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
    const bool timeBuild = state.range(0) != 0;
    const auto volume = makeVolume();
    resetPeakMemory();
    size_t emptied = 0;
    int64_t steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fill(volume.get(), maskScene);
        if (!timeBuild)
            volume->createLattice();
        state.ResumeTiming();
        if (timeBuild)
            volume->createLattice();
        Etch etch(volume.get(), 10.0);
        etch.run();
        state.PauseTiming();
        steps = etch.stepsRun();
        emptied = 0;
        {
            Model::Automaton::VoxelLock cells(*volume);
            for (uint32_t x = 0; x < sizeX; ++x)
                for (uint32_t y = 0; y < sizeY; ++y)
                    for (uint32_t z = 0; z < 76; ++z)
                        emptied += cells[volume->index(x, y, z)].getMaterialId() == 0;
        }
        state.ResumeTiming();
    }
    state.counters["threads"] = QThreadPool::globalInstance()->maxThreadCount();
    state.counters["steps"] = static_cast<double>(steps);
    state.counters["cells_etched"] = static_cast<double>(emptied);
    state.counters["atoms"] = static_cast<double>(volume->getLattice()->cellAtomCount());
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

void atomisticEtch(benchmark::State &state)
{
    etchScene<Core::Operations::AtomisticWetEtch>(state);
}

void continuousEtch(benchmark::State &state)
{
    etchScene<Core::Operations::ContinuousWetEtch>(state);
}

} // namespace

BENCHMARK(latticeBuild)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(atomisticEtch)->ArgName("build")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(continuousEtch)->ArgName("build")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
