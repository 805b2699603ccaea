// Deposition and etching automata on the standard trench scene: isotropic deposition of
// 10 units of material 3 (run until its fronts die out, and for comparison cut off after
// the shorter fixed step count that leaves convex corners thin), anisotropic etching of 10 units of silicon at ratio 0.5 from
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

// Argument 0: the pool's thread count (0 = the machine's ideal count).
void runOnTrench(benchmark::State &state, const std::function<void(TotalVolume *)> &process)
{
    BenchCommon::runOnTrench(state, process, "cells_0_or_3", [](TotalVolume &volume) {
        size_t n = 0;
        Model::Automaton::VoxelLock cells(volume);
        for (size_t i = 0; i < volume.getCellCount(); ++i)
            n += cells[i].getMaterialId() == 3 || cells[i].getMaterialId() == 0;
        return n;
    });
}

// `steps` counts the steps the deposition ran.
void isotropicDeposition(benchmark::State &state)
{
    int64_t steps = 0;
    runOnTrench(state, [&](TotalVolume *v) {
        Core::Operations::IsotropicFilmDeposition deposition(v, 3, 10.0f);
        deposition.simulate();
        steps = deposition.getStepsRun();
    });
    state.counters["steps"] = double(steps);
}

void isotropicDepositionFixedSteps(benchmark::State &state)
{
    int64_t steps = 0;
    runOnTrench(state, [&](TotalVolume *v) {
        Core::Operations::IsotropicFilmDeposition deposition(v, 3, 10.0f);
        deposition.run(Core::Operations::IsotropicFilmDeposition::depositionStepCount(10.0f, 1.0f));
        steps = deposition.getStepsRun();
    });
    state.counters["steps"] = double(steps);
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
BENCHMARK(isotropicDepositionFixedSteps)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(anisotropicEtching)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(mooreDeposition)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
