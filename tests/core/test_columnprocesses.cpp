#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/Planarization/planarization.h"
#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetching.h"
#include "Core/Operations/SpinCoating/spincoating.h"
#include "Core/Operations/operationcontext.h"
#include "Core/Processes/describedprocessoperation.h"
#include "Core/Processes/processregistry.h"
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Core::Operations;
using namespace FilmTest;
using namespace OperationTest;
using Core::BatchRun::ProcessData;
using Core::BatchRun::ProcessListRunner;

namespace {

constexpr EtchDirections top = EtchDirections::FromTop;
constexpr EtchDirections below = EtchDirections::FromBelow;

// One column, bottom first, as a string of material digits.
TotalVolumePtr column(const std::string &cells)
{
    return makeVolume(1, 1, static_cast<uint32_t>(cells.size()),
                      [&](uint32_t, uint32_t, uint32_t z) { return static_cast<uint32_t>(cells[z] - '0'); });
}

std::string column(const TotalVolumePtr &v)
{
    std::string s;
    for (uint32_t id : v->materialIds())
        s += static_cast<char>('0' + id);
    return s;
}

std::string etched(const std::string &cells, uint32_t material, double depth, EtchDirections directions)
{
    auto v = column(cells);
    SimpleReactiveIonEtching(v.get(), material, depth, directions).run();
    return column(v);
}

// What a vertical etch must leave in one column: in every run of the etched material,
// up to `depth` cells go from the top end when the cell above it is empty, and from the
// bottom end when the cell below it is empty.
std::vector<uint32_t> expectedEtch(std::vector<uint32_t> ids, uint32_t sizeZ, uint32_t material, uint32_t depth,
                                   EtchDirections directions)
{
    std::vector<uint32_t> out = ids;
    for (size_t base = 0; base < ids.size(); base += sizeZ) {
        uint32_t z = 0;
        while (z < sizeZ) {
            if (ids[base + z] != material) {
                ++z;
                continue;
            }
            uint32_t end = z;
            while (end + 1 < sizeZ && ids[base + end + 1] == material)
                ++end;
            for (uint32_t k = 0; k < depth && k <= end - z; ++k) {
                if (includes(directions, top) && end + 1 < sizeZ && ids[base + end + 1] == 0)
                    out[base + end - k] = 0;
                if (includes(directions, below) && z > 0 && ids[base + z - 1] == 0)
                    out[base + z + k] = 0;
            }
            z = end + 1;
        }
    }
    return out;
}

} // namespace

TEST(SimpleRie, EtchesColumnsVerticallyFromExposedFaces)
{
    // Five silicon cells between empty cells, bottom first.
    EXPECT_EQ(etched("0111110", 1, 3, top), "0110000");
    EXPECT_EQ(etched("0111110", 1, 3, top | below), "0000000");
    EXPECT_EQ(etched("0111110", 1, 2, below), "0001110");
    EXPECT_EQ(etched("0111110", 1, 2.9, top), "0111000"); // whole layers only
    EXPECT_EQ(etched("0111110", 1, 3, EtchDirections::None), "0111110");
    EXPECT_EQ(etched("0111110", 1, 999999999, top), "0000000"); // the dialog's largest depth
    // A mask on top protects the column; other materials stop the etch.
    EXPECT_EQ(etched("0111130", 1, 3, top), "0111130");
    EXPECT_EQ(etched("1131110", 1, 9, top), "1130000");
    EXPECT_EQ(etched("1131110", 1, 9, below), "1131110"); // no face open downwards
    EXPECT_EQ(etched("0113110", 1, 9, below), "0003110");

    // Lateral neighbours play no part: beside a masked column, the open one is etched
    // alone and the masked one keeps every cell.
    auto pair = makeVolume(2, 1, 6, [](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
        if (z == 0 || z >= 5)
            return x == 0 && z == 5 ? 3 : 0;
        return 1;
    });
    SimpleReactiveIonEtching(pair.get(), 1, 2, top).run();
    const std::vector<uint32_t> ids = pair->materialIds();
    EXPECT_EQ(std::vector<uint32_t>(ids.begin(), ids.begin() + 6), (std::vector<uint32_t>{0, 1, 1, 1, 1, 3}));
    EXPECT_EQ(std::vector<uint32_t>(ids.begin() + 6, ids.end()), (std::vector<uint32_t>{0, 1, 1, 0, 0, 0}));
}

TEST(ColumnProcesses, SpinCoatingAndPlanarizationHeights)
{
    // Bottom first: a cavity at z = 1 closed by silicon at z = 2.
    EXPECT_EQ([] { auto v = column("10100"); SpinCoating(v.get(), 4, 0).run(); return column(v); }(), "10100");
    EXPECT_EQ([] { auto v = column("10100"); SpinCoating(v.get(), 4, 2).run(); return column(v); }(), "14100");
    EXPECT_EQ([] { auto v = column("10100"); SpinCoating(v.get(), 4, 99).run(); return column(v); }(), "14144");

    const auto planarized = [](uint32_t maximum, uint32_t minimum) {
        auto v = column("1213141");
        Planarization(v.get(), maximum, minimum).run();
        return column(v);
    };
    EXPECT_EQ(planarized(7, 0), "1213141");
    EXPECT_EQ(planarized(99, 0), "1213141");
    EXPECT_EQ(planarized(0, 0), "0000000");
    EXPECT_EQ(planarized(5, 2), "0013100");
    EXPECT_EQ(planarized(3, 5), "0000000"); // minimum above maximum
    EXPECT_EQ(planarized(99, 99), "0000000");
}

TEST(ColumnProcesses, SameCellsForAnyThreadCount)
{
    // 23 layers cut into 1, 2 and 7 slices (the last one longer).
    const auto run = [](int threads, const std::function<void(TotalVolume *)> &process) {
        PoolThreads pool(threads);
        auto v = randomScene(23, 6, 19, 5);
        process(v.get());
        return v->materialIds();
    };
    const std::vector<std::function<void(TotalVolume *)>> processes = {
        [](TotalVolume *v) { SimpleReactiveIonEtching(v, 1, 3, top | below).run(); },
        [](TotalVolume *v) { SimpleReactiveIonEtching(v, 1, 2, top).run(); },
        [](TotalVolume *v) { SpinCoating(v, 4, 11).run(); },
        [](TotalVolume *v) { Planarization(v, 15, 3).run(); },
    };
    const std::vector<uint32_t> start = randomScene(23, 6, 19, 5)->materialIds();
    for (size_t p = 0; p < processes.size(); ++p) {
        SCOPED_TRACE(p);
        const std::vector<uint32_t> one = run(1, processes[p]);
        EXPECT_NE(one, start);
        EXPECT_EQ(run(2, processes[p]), one);
        EXPECT_EQ(run(7, processes[p]), one);
        if (p == 0) {
            EXPECT_EQ(one, expectedEtch(start, 19, 1, 3, top | below));
        } else if (p == 1) {
            EXPECT_EQ(one, expectedEtch(start, 19, 1, 2, top));
        }
    }
}

TEST(ColumnProcesses, OperationsReportAndBatchStepsMatch)
{
    struct Case
    {
        const char *name;
        int32_t typeId;
        const char *canceled;
        bool stale;
        std::function<OperationPtr(OperationContext &, bool)> make;
        ProcessData step;
    };
    const auto with = [](auto op, bool accept, auto set) -> OperationPtr {
        std::weak_ptr<typename decltype(op)::element_type> weak = op;
        op->setOptionsObserver(std::make_shared<Options>(accept ? std::function<void()>([weak, set] {
            if (auto o = weak.lock())
                set(*o);
        }) : std::function<void()>()));
        return op;
    };
    using Core::Processes::DescribedProcessOperation;
    using Core::Processes::ParameterSet;
    // The menu operation of the process of list type `batchType`, given `values` by its dialog.
    const auto described = [&](int32_t batchType, ParameterSet values) {
        return [=](OperationContext &c, bool a) {
            return with(std::make_shared<DescribedProcessOperation>(
                            c, *Core::Processes::ProcessRegistry::instance().byBatchType(batchType)),
                        a, [values](DescribedProcessOperation &o) { o.setParameters(values); });
        };
    };
    const std::vector<Case> cases = {
        {"Simple RIE", 30, ": Operation canceled.", true,
         described(13, {{"Material", 1u}, {"Etch Depth", 2}, {"EtchDirectionValue", 3u}}),
         step(13, {{"Material_Id", 1u}, {"Etch Depth", 2u}, {"EtchDirectionValue", 3u}})},
        {"Spin Coating", 23, ": Operation canceled.", false,
         described(9, {{"Material", 4u}, {"Maximum Height", 9u}}),
         step(9, {{"Maximum Height", 9u}, {"Material_Id", 4u}})},
        {"Planarization", 22, ": Operation canceled!", true,
         described(6, {{"Maximum Height", 12u}, {"Minimum Height", 2u}}),
         step(6, {{"Maximum Height", 12u}, {"Minimum Height", 2u}})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OperationContext context;
        auto factory = std::make_shared<OneOperation>();
        context.setFactory(factory);
        auto log = std::make_shared<Log>(context.interpreter);
        context.interpreter.addMessageObserver(log);
        auto volume = randomScene(10, 7, 16, 3);
        context.scene.add(volume);
        const std::vector<uint32_t> before = volume->materialIds();

        factory->make = [&] { return c.make(context, false); };
        context.activate(1);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[1], std::string(c.name) + c.canceled);
        EXPECT_EQ(volume->materialIds(), before);

        factory->make = [&] { return c.make(context, true); };
        context.activate(1);
        ASSERT_EQ(log->lines.size(), 4u);
        EXPECT_EQ(log->lines[3], std::string(c.name) + ": Operation finished.");
        EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), c.typeId);
        EXPECT_EQ(context.latticeStale.count(volume->getId()), c.stale ? 1u : 0u);
        EXPECT_EQ(context.history.undoCount(), 1u);
        const std::vector<uint32_t> after = volume->materialIds();
        EXPECT_NE(after, before);
        ASSERT_TRUE(context.history.undo());
        EXPECT_EQ(volume->materialIds(), before);
        ASSERT_TRUE(context.history.redo());
        EXPECT_EQ(volume->materialIds(), after);

        OperationContext batchContext;
        ProcessListRunner runner(batchContext);
        auto batchVolume = randomScene(10, 7, 16, 3);
        runner.setVolume(batchVolume);
        EXPECT_EQ(runner.run({c.step}).outcome, ProcessListRunner::Outcome::Completed);
        EXPECT_EQ(batchVolume->materialIds(), after);
        EXPECT_EQ(batchContext.lastProcessByVolume.at(batchVolume->getId()), c.typeId);
        EXPECT_EQ(batchContext.latticeStale.count(batchVolume->getId()), c.stale ? 1u : 0u);
    }

    // Pouring silicon needs a new lattice too; bad or missing values change nothing.
    OperationContext context;
    ProcessListRunner runner(context);
    auto volume = randomScene(10, 7, 16, 3);
    runner.setVolume(volume);
    const std::vector<uint32_t> before = volume->materialIds();
    EXPECT_EQ(runner.runStep(step(13, {{"Material_Id", 1u}, {"Etch Depth", 2u}, {"EtchDirectionValue", 4u}})), 2);
    EXPECT_EQ(runner.runStep(step(13, {{"Material_Id", 1u}})), 1);
    EXPECT_EQ(runner.runStep(step(9, {{"Maximum Height", QString("high")}, {"Material_Id", 1u}})), 2);
    EXPECT_EQ(runner.runStep(step(6, {{"Maximum Height", 3u}})), 1);
    EXPECT_EQ(volume->materialIds(), before);
    EXPECT_TRUE(context.latticeStale.empty());
    EXPECT_EQ(runner.runStep(step(9, {{"Maximum Height", 4u}, {"Material_Id", 1u}})), 0);
    EXPECT_TRUE(context.latticeStale.at(volume->getId()));
    // Without a direction the etch goes from the top.
    auto a = randomScene(10, 7, 16, 3), b = randomScene(10, 7, 16, 3);
    runner.setVolume(a);
    EXPECT_EQ(runner.runStep(step(13, {{"Material_Id", 1u}, {"Etch Depth", 2u}})), 0);
    SimpleReactiveIonEtching(b.get(), 1, 2, top).run();
    EXPECT_EQ(a->materialIds(), b->materialIds());
}
