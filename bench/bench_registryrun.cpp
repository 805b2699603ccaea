// Processes run through their registry descriptors on the standard trench scene, as the
// Python module and the batch runner run them: pouring material 3 up to height 0 (a
// process with next to nothing to do, so the time is that of a call) and Moore
// deposition of 5 cells of material 3, each iteration of it from the untouched scene
// (restored outside the timing). Argument 0 is the pool's thread count (0 = the
// machine's ideal count). bench/bench_python.py times
// the same calls from Python.

#include "benchcommon.h"

#include "Core/Processes/processregistry.h"

#include <QString>
#include <map>

namespace {

using Core::Processes::ParameterSet;
using Core::Processes::ProcessDescriptor;
using Model::Automaton::TotalVolume;

const ProcessDescriptor &process(const char *listName)
{
    for (const ProcessDescriptor &d : Core::Processes::ProcessRegistry::instance().all())
        if (d.listName == QLatin1String(listName))
            return d;
    std::abort();
}

void runDescribed(benchmark::State &state, const char *listName, const ParameterSet &values)
{
    const ProcessDescriptor &d = process(listName);
    std::map<int32_t, bool> stale;
    BenchCommon::runOnTrench(
        state,
        [&](TotalVolume *v) {
            Core::Processes::ProcessTarget target{*v, stale, QString()};
            d.run(target, values);
        },
        "cells_3", [](TotalVolume &volume) {
            size_t n = 0;
            Model::Automaton::VoxelLock cells(volume);
            for (size_t i = 0; i < volume.getCellCount(); ++i)
                n += cells[i].getMaterialId() == 3;
            return n;
        });
}

// Changes nothing: every iteration runs on the same scene, without restoring it.
void pourNothing(benchmark::State &state)
{
    BenchCommon::useThreads(state);
    const ProcessDescriptor &d = process("Spin Coating");
    const ParameterSet values{{QStringLiteral("Material"), 3u}, {QStringLiteral("Maximum Height"), 0u}};
    const auto volume = BenchCommon::makeTrenchScene();
    std::map<int32_t, bool> stale;
    for (auto _ : state) {
        Core::Processes::ProcessTarget target{*volume, stale, QString()};
        d.run(target, values);
    }
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
}

void mooreDeposition(benchmark::State &state)
{
    runDescribed(state, "Moore deposition", {{QStringLiteral("Material"), 3u}, {QStringLiteral("Thickness"), 5.0f}});
}

} // namespace

BENCHMARK(pourNothing)->ArgName("threads")->Arg(0)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(mooreDeposition)->ArgName("threads")->Arg(0)->Apply(BenchCommon::timedRuns);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
