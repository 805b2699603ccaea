// Doping and oxidation on the standard trench scene: simple doping 5 units deep with
// N-doped silicon, ion implantation 50 units deep with a spread of 20 and 10 units of
// annealing, and thermal oxidation of 0.1 micron at 100 units per micron. Each
// iteration starts from the untouched scene (restored outside the timing). peak_MiB is
// the process's peak resident memory during that benchmark alone; changed counts the
// cells whose material differs from the scene's.

#include "benchcommon.h"

#include "Core/Operations/DopingOperation/ionimplantation.h"
#include "Core/Operations/DopingOperation/simpledoping.h"
#include "Core/Operations/SiOxidation/simplesioxidation.h"

#include <QThread>
#include <QThreadPool>
#include <benchmark/benchmark.h>
#include <fstream>
#include <functional>

namespace {

using Model::Automaton::TotalVolume;

// Argument 0: the pool's thread count (0 = the machine's ideal count).
void runOnTrench(benchmark::State &state, const std::function<void(TotalVolume *)> &process)
{
    BenchCommon::runOnTrench(state, process, "changed", [](TotalVolume &volume) {
        size_t changed = 0;
        Model::Automaton::VoxelLock cells(volume);
        for (uint32_t x = 0; x < BenchCommon::trenchSizeX; ++x)
            for (uint32_t y = 0; y < BenchCommon::trenchSizeY; ++y)
                for (uint32_t z = 0; z < BenchCommon::trenchSizeZ; ++z)
                    changed += cells[volume.index(x, y, z)].getMaterialId() != BenchCommon::trenchMaterial(x, y, z);
        return changed;
    });
}

void simpleDoping(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) { Core::Operations::SimpleDoping(v, 14, 5.0f).simulate(); });
}

void ionImplantation(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) { Core::Operations::IonImplantation(v, 15, 50.0f, 20.0f, 10.0f).simulate(); });
}

void oxidation(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) { Core::Operations::SimpleSiOxidation(v, 100.0).simulate(0.1); });
}

} // namespace

BENCHMARK(simpleDoping)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(ionImplantation)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(oxidation)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
