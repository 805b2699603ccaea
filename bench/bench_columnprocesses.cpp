// The column processes on the standard trench scene: simple RIE of 10 cells of silicon
// from the top, spin coating of photoresist (material 11) to height 60, planarization
// to height 30. Each iteration starts from the untouched scene (restored outside the
// timing); building the automaton is timed with its run. peak_MiB is the process's peak
// resident memory during that benchmark alone; cell_MiB the volume's cell memory.

#include "benchcommon.h"

#include "Core/Operations/Planarization/planarization.h"
#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetching.h"
#include "Core/Operations/SpinCoating/spincoating.h"

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
    BenchCommon::runOnTrench(state, process, "empty_cells", [](TotalVolume &volume) {
        size_t empty = 0;
        Model::Automaton::VoxelLock cells(volume);
        for (size_t i = 0; i < volume.getCellCount(); ++i)
            empty += cells[i].getMaterialId() == 0;
        return empty;
    });
}

void simpleRie(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) {
        Core::Operations::SimpleReactiveIonEtching(v, 1, 10, Core::Operations::SimpleReactiveIonEtching::FromTop).run();
    });
}

void spinCoating(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) { Core::Operations::SpinCoating(v, 11, 60).run(); });
}

void planarization(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume *v) { Core::Operations::Planarization(v, 30, 0).run(); });
}

} // namespace

BENCHMARK(simpleRie)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(spinCoating)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(planarization)->ArgName("threads")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
