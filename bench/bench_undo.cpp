// Undo and redo against the step itself on the standard trench scene (256 x 256 x 128,
// 8.4 M cells). Each iteration starts from the untouched scene and an empty history, runs
// the step as the menu does (taking the state, the work, the records, the surfaces),
// then undoes and redoes it. The reported time is the step's; undo_ms and redo_ms are
// the undo's and the redo's, each with its surface regeneration as the window does it.
// changed_cells counts the cells the step changed, undo_kB and redo_kB the sizes of its
// two records.

#include "benchcommon.h"

#include "Core/Processes/describedprocessoperation.h"
#include "Core/Processes/processregistry.h"
#include "Core/Operations/operationcontext.h"
#include "Util/iobserver.h"

#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>

namespace {

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

struct Options : Util::IObserver
{
    std::function<void()> accept;
    void update() override { accept(); }
};

struct Factory : IOperationFactory
{
    std::function<OperationPtr()> make;
    OperationPtr create(int32_t) override { return make(); }
};

template <class Op>
std::function<OperationPtr()> preset(OperationContext &context, std::function<void(Op &)> set)
{
    return [&context, set] {
        auto op = std::make_shared<Op>(context);
        std::weak_ptr<Op> weak = op;
        auto options = std::make_shared<Options>();
        options->accept = [weak, set] { set(*weak.lock()); };
        op->setOptionsObserver(options);
        return OperationPtr(op);
    };
}

// The described process of list type `batchType`, its values preset.
std::function<OperationPtr()> described(OperationContext &context, int32_t batchType,
                                        const Core::Processes::ParameterSet &values)
{
    return [&context, batchType, values] {
        return OperationPtr(std::make_shared<Core::Processes::DescribedProcessOperation>(
            context, *Core::Processes::ProcessRegistry::instance().byBatchType(batchType), values));
    };
}

double secondsOf(const std::function<void()> &f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void undoRedo(benchmark::State &state, const std::function<std::function<OperationPtr()>(OperationContext &)> &make)
{
    OperationContext context;
    auto factory = std::make_shared<Factory>();
    factory->make = make(context);
    context.setFactory(factory);
    const auto volume = BenchCommon::makeTrenchScene();
    context.scene.add(volume);
    BenchCommon::resetPeakMemory();
    double undoSeconds = 0, redoSeconds = 0;
    qint64 undoBytes = 0, redoBytes = 0;
    size_t changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        context.history.clear();
        context.snapshotFiles.discardRecords();
        BenchCommon::restoreTrench(volume.get());
        const std::vector<uint32_t> before = volume->materialIds();
        state.ResumeTiming();
        context.activate(1);
        state.PauseTiming();
        undoBytes = QFileInfo(context.snapshotFiles.undoFileName()).size();
        redoBytes = QFileInfo(context.snapshotFiles.redoFileName()).size();
        const std::vector<uint32_t> after = volume->materialIds();
        changed = 0;
        for (size_t i = 0; i < after.size(); ++i)
            changed += after[i] != before[i];
        undoSeconds += secondsOf([&] { context.history.undo(); });
        redoSeconds += secondsOf([&] { context.history.redo(); });
        if (volume->materialIds() != after)
            state.SkipWithError("redo did not restore the step's cells");
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["undo_ms"] = undoSeconds * 1000.0 / n;
    state.counters["redo_ms"] = redoSeconds * 1000.0 / n;
    state.counters["undo_kB"] = static_cast<double>(undoBytes) / 1024.0;
    state.counters["redo_kB"] = static_cast<double>(redoBytes) / 1024.0;
    state.counters["changed_cells"] = static_cast<double>(changed);
    state.counters["peak_MiB"] = static_cast<double>(BenchCommon::peakMemoryKiB()) / 1024.0;
}

// CVD of 10 units of material 3: about a tenth of the cells change.
void cvd10(benchmark::State &state)
{
    undoRedo(state, [](OperationContext &c) {
        return described(c, 4, {{"Thickness", 10.0f}, {"Material", 3u}});
    });
}

// Moore etching of one cell of silicon: about 1 % of the cells change.
void mooreEtch1(benchmark::State &state)
{
    undoRedo(state, [](OperationContext &c) {
        return described(c, 3, {{"Depth", 1}, {"Material", 1u}});
    });
}

// Planarization down to 38 cells: the top two silicon layers beside the trenches go.
void planarize38(benchmark::State &state)
{
    undoRedo(state, [](OperationContext &c) {
        return described(c, 6, {{"Maximum Height", 38u}, {"Minimum Height", 0u}});
    });
}

// Pour Material up to the top: most of the volume fills, the largest record a step writes.
void pourToTheTop(benchmark::State &state)
{
    undoRedo(state, [](OperationContext &c) {
        return described(c, 9, {{"Material", 11u}, {"Maximum Height", 128u}});
    });
}

} // namespace

BENCHMARK(cvd10)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(mooreEtch1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(planarize38)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(pourToTheTop)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    const BenchCommon::TemporaryHome home;
    return BenchCommon::runAll(argc, argv);
}
