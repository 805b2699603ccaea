#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/DopingOperation/ionimplantation.h"
#include "Core/Operations/DopingOperation/simpledoping.h"
#include "Core/Operations/SiOxidation/simplesioxidation.h"
#include "Core/Operations/operationcontext.h"
#include "Core/Processes/describedprocessoperation.h"
#include "Core/Processes/processregistry.h"
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Core::Operations;
using namespace FilmTest;
using namespace OperationTest;
using Core::BatchRun::ProcessData;
using Core::BatchRun::ProcessListRunner;

namespace {

constexpr uint32_t silicon = 1, oxide = 3, aluminium = 4, nDoped = 14, pDoped = 15;

// Material of every cell of column (x, y), bottom first.
std::vector<uint32_t> column(const TotalVolumePtr &v, uint32_t x, uint32_t y)
{
    const std::vector<uint32_t> ids = v->materialIds();
    std::vector<uint32_t> result;
    for (uint32_t z = 0; z < v->getSizeZ(); ++z)
        result.push_back(ids[v->index(x, y, z)]);
    return result;
}

template <class Op>
OperationPtr withOptions(std::shared_ptr<Op> op, std::function<void(Op &)> set)
{
    std::weak_ptr<Op> weak = op;
    op->setOptionsObserver(std::make_shared<Options>(set ? std::function<void()>([weak, set] {
        if (auto o = weak.lock())
            set(*o);
    }) : std::function<void()>()));
    return op;
}

// The menu operation of the process of list type `batchType`; its dialog gives `values`,
// or, without values, is rejected.
OperationPtr described(OperationContext &c, int32_t batchType, const Core::Processes::ParameterSet &values = {})
{
    using Core::Processes::DescribedProcessOperation;
    auto op = std::make_shared<DescribedProcessOperation>(c, *Core::Processes::ProcessRegistry::instance().byBatchType(batchType));
    if (values.all().isEmpty())
        return withOptions<DescribedProcessOperation>(op, nullptr);
    return withOptions<DescribedProcessOperation>(op, [values](DescribedProcessOperation &o) { o.setParameters(values); });
}

// Silicon with a trench, an aluminium block on it and a silicon plate above.
TotalVolumePtr scene()
{
    return makeVolume(14, 9, 16, [](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
        if (z < 8 && !(x >= 5 && x <= 7 && z >= 4))
            return silicon;
        if (z >= 8 && z < 10 && x >= 9 && y >= 2 && y <= 6)
            return aluminium;
        if (z == 12 && x >= 2 && x <= 10)
            return silicon;
        return 0;
    });
}

} // namespace

TEST(SimpleDoping, DopesTheDopableCellsWithinTheDepthOnly)
{
    // Silicon below z = 6, an aluminium mask sunk into its top for x < 4.
    const auto make = [] {
        return makeVolume(12, 5, 10, [](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
            if (x < 4 && (z == 4 || z == 5))
                return aluminium;
            return z < 6 ? silicon : 0;
        });
    };
    auto volume = make();
    const std::vector<uint32_t> before = volume->materialIds();
    SimpleDoping zero(volume.get(), pDoped, 0.0f);
    EXPECT_EQ(zero.stepCount(), 0);
    zero.simulate();
    EXPECT_EQ(volume->materialIds(), before);

    SimpleDoping doping(volume.get(), pDoped, 2.5f);
    EXPECT_EQ(doping.stepCount(), 5); // ceil(2.5) x 1.7071...
    doping.simulate();
    // The two layers under the surface (cell centres 1 and 2 away) take the dopant; the
    // mask and everything it shields keep their material.
    for (uint32_t x = 0; x < 12; ++x) {
        std::vector<uint32_t> expected = column(make(), x, 2);
        if (x >= 4)
            expected[4] = expected[5] = pDoped;
        EXPECT_EQ(column(volume, x, 2), expected) << "x " << x;
    }

    // Around an empty cube inside silicon, every cell within the depth of the cube is
    // doped, the cells off its corners included.
    const uint32_t depth = 21, lo = depth + 1, hi = lo + 1, size = hi + depth + 2;
    const auto gap = [=](uint32_t c) -> int64_t { return c < lo ? int64_t(lo - c) : c > hi ? int64_t(c - hi) : 0; };
    auto block = makeVolume(size, size, size, [&](uint32_t x, uint32_t y, uint32_t z) {
        return gap(x) == 0 && gap(y) == 0 && gap(z) == 0 ? 0u : silicon;
    });
    SimpleDoping(block.get(), nDoped, float(depth)).simulate();
    const std::vector<uint32_t> ids = block->materialIds();
    size_t wrong = 0;
    for (uint32_t x = 0; x < size; ++x)
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t z = 0; z < size; ++z) {
                const int64_t d2 = gap(x) * gap(x) + gap(y) * gap(y) + gap(z) * gap(z);
                const uint32_t expected = d2 == 0 ? 0u : d2 <= int64_t(depth * depth) ? nDoped : silicon;
                wrong += ids[block->index(x, y, z)] != expected;
            }
    EXPECT_EQ(wrong, 0u);
}

TEST(IonImplantation, ImplantsTheBandBelowEachColumnTopAndAnneals)
{
    // Columns of silicon up to z = 89 (with `step`, only up to z = 79 for x = 2), one
    // empty column, one aluminium cell inside the band.
    const auto make = [](bool step) {
        return makeVolume(3, 3, 100, [step](uint32_t x, uint32_t y, uint32_t z) -> uint32_t {
            if (x == 0 && y == 0)
                return 0;
            if (x == 1 && y == 1 && z == 40)
                return aluminium;
            return z < (step && x == 2 ? 80u : 90u) ? silicon : 0;
        });
    };
    const auto expectBand = [&](const TotalVolumePtr &v, bool step, uint32_t x, uint32_t y, int64_t grow) {
        const int64_t top = step && x == 2 ? 79 : 89;
        std::vector<uint32_t> expected = column(make(step), x, y);
        // k = top + 1 - z from 30 to 70: 29 to 69 cells below the top cell.
        for (int64_t z = top - 69 - grow; z <= top - 29 + grow; ++z)
            if (expected[size_t(z)] == silicon)
                expected[size_t(z)] = nDoped;
        EXPECT_EQ(column(v, x, y), expected) << "column " << x << ", " << y << " growth " << grow;
    };

    auto volume = make(true);
    IonImplantation implant(volume.get(), nDoped, 50.0f, 20.0f, 0.0f);
    EXPECT_EQ(implant.bandHalfWidth(), 20.5f);
    EXPECT_EQ(implant.stepCount(), 0);
    implant.simulate();
    for (uint32_t x = 0; x < 3; ++x)
        for (uint32_t y = 0; y < 3; ++y)
            if (x != 0 || y != 0)
                expectBand(volume, true, x, y, 0);
    EXPECT_EQ(column(volume, 0, 0), std::vector<uint32_t>(100, 0u));

    // Annealing 3 units spreads the band by three cells up and down; the aluminium cell
    // and the empty column keep their material.
    auto annealed = make(false);
    IonImplantation(annealed.get(), nDoped, 50.0f, 20.0f, 3.0f).simulate();
    for (uint32_t x = 0; x < 3; ++x)
        for (uint32_t y = 0; y < 3; ++y)
            if (x != 0 || y != 0)
                expectBand(annealed, false, x, y, 3);
    EXPECT_EQ(column(annealed, 0, 0), std::vector<uint32_t>(100, 0u));
}

TEST(SiOxidation, DealGroveMatchesTheDesignFiguresAndThePhysics)
{
    const SimpleSiOxidation::DealGrove g = SimpleSiOxidation::dealGrove(2.0, 1273.0, 1.0);
    EXPECT_NEAR(g.parabolicRate, 0.010510, 0.000001);
    EXPECT_NEAR(g.linearRate, 0.080353, 0.000001);
    EXPECT_NEAR(g.a, 0.13079, 0.00001);
    EXPECT_NEAR(g.tau, 0.37060, 0.00001);
    EXPECT_NEAR(g.thickness, 0.10546, 0.00001);
    const double units = g.thickness * 100.0;
    EXPECT_NEAR(units, 10.546, 0.001);
    EXPECT_NEAR(units - double(SimpleSiOxidation::outwardFraction) * units, 4.640, 0.001);
    EXPECT_NEAR(double(SimpleSiOxidation::outwardFraction) * units, 5.906, 0.001);

    // The linear-parabolic law x^2 + A x = B (t + tau), with 25 nm of oxide at t = 0.
    for (double hours : {0.0, 0.5, 2.0, 30.0}) {
        const auto h = SimpleSiOxidation::dealGrove(hours, 1373.0, 0.5);
        EXPECT_NEAR(h.thickness * h.thickness + h.a * h.thickness, h.parabolicRate * (hours + h.tau), 1e-12);
    }
    EXPECT_NEAR(SimpleSiOxidation::dealGrove(0.0, 1173.0, 1.0).thickness, 0.025, 1e-12);
    // Short times: reaction-limited, dx/dt = B / (A + 2 x); long times: x = sqrt(B t).
    const auto cold = SimpleSiOxidation::dealGrove(0.0, 1073.0, 1.0);
    const double rate = (SimpleSiOxidation::dealGrove(1e-4, 1073.0, 1.0).thickness - cold.thickness) / 1e-4;
    EXPECT_NEAR(rate, cold.parabolicRate / (cold.a + 2.0 * 0.025), 1e-6);
    const auto hot = SimpleSiOxidation::dealGrove(1e5, 1373.0, 1.0);
    EXPECT_NEAR(hot.thickness / std::sqrt(hot.parabolicRate * 1e5), 1.0, 0.01);
    // B grows with the oxygen pressure (Henry's law); dry oxidation's activation
    // energies are about 1.23 eV for B and 2.0 eV for B/A (Deal and Grove, 1965).
    EXPECT_NEAR(SimpleSiOxidation::dealGrove(1.0, 1273.0, 0.5).parabolicRate, g.parabolicRate / 2.0, 1e-12);
    const double k = 8.617333e-5; // eV / K
    const auto g1 = SimpleSiOxidation::dealGrove(1.0, 1173.0, 1.0), g2 = SimpleSiOxidation::dealGrove(1.0, 1373.0, 1.0);
    const double inverse = 1.0 / 1173.0 - 1.0 / 1373.0;
    EXPECT_NEAR(k * std::log(g2.parabolicRate / g1.parabolicRate) / inverse, 1.23, 0.07);
    EXPECT_NEAR(k * std::log(g2.linearRate / g1.linearRate) / inverse, 2.0, 0.07);
    // No oxygen, no oxide.
    EXPECT_EQ(SimpleSiOxidation::dealGrove(2.0, 1273.0, 0.0).thickness, 0.0);
    EXPECT_EQ(SimpleSiOxidation::dealGrove(2.0, 0.0, 1.0).thickness, 0.0);
}

TEST(SiOxidation, FlatSurfaceGrowsInwardAndOutwardAndMasksHoldTheFront)
{
    // Silicon below z = 30: 0.5 um at 100 units per micron reaches 22 units in and 28
    // out, measured from the middle of the exposed cells.
    const auto flat = [] { return makeVolume(4, 4, 80, [](uint32_t, uint32_t, uint32_t z) { return z < 30 ? silicon : 0u; }); };
    auto volume = flat();
    SimpleSiOxidation(volume.get(), 100.0).simulate(0.5);
    for (uint32_t x = 0; x < 4; ++x) {
        const std::vector<uint32_t> c = column(volume, x, 3);
        size_t in = 0, out = 0;
        for (uint32_t z = 0; z < 80; ++z) {
            const uint32_t expected = z < 8 ? silicon : z < 57 ? oxide : 0u;
            EXPECT_EQ(c[z], expected) << "z " << z;
            in += c[z] == oxide && z < 30;
            out += c[z] == oxide && z >= 30;
        }
        EXPECT_NEAR(double(in) / double(in + out), 0.44, 0.015);
    }
    // The default oxide of 10.546 units: five layers each way.
    auto defaults = flat();
    SimpleSiOxidation(defaults.get(), 100.0).simulate(SimpleSiOxidation::dealGrove(2.0, 1273.0, 1.0).thickness);
    EXPECT_EQ(count(defaults->materialIds(), oxide), 16u * 10u);
    EXPECT_EQ(column(defaults, 1, 1)[25], oxide);
    EXPECT_EQ(column(defaults, 1, 1)[34], oxide);
    // The exposed layer oxidises only when the inward reach covers half a cell: 1 unit
    // (0.44 in) converts nothing, 2 units (0.88 in, 1.12 out) just the exposed layer.
    for (const auto &[microns, layers] : {std::pair<double, size_t>{0.01, 0}, {0.02, 1}, {0.0, 0}}) {
        auto thin = flat();
        SimpleSiOxidation(thin.get(), 100.0).simulate(microns);
        EXPECT_EQ(count(thin->materialIds(), oxide), 16u * layers) << microns;
        if (layers) {
            EXPECT_EQ(column(thin, 0, 0)[29], oxide);
        }
    }

    // An aluminium mask on the silicon for x < 5 neither oxidises nor lets the oxide
    // under or over it beyond the reach from the open silicon.
    const auto masked = [] {
        return makeVolume(12, 3, 30, [](uint32_t x, uint32_t, uint32_t z) -> uint32_t {
            if (z < 10)
                return silicon;
            return x < 5 && z < 12 ? aluminium : 0u;
        });
    };
    auto mask = masked();
    SimpleSiOxidation(mask.get(), 100.0).simulate(0.06); // 2.64 in, 3.36 out
    const std::vector<uint32_t> before = masked()->materialIds(), after = mask->materialIds();
    for (uint32_t x = 0; x < 12; ++x)
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t z = 0; z < 30; ++z) {
                const uint32_t was = before[mask->index(x, y, z)], now = after[mask->index(x, y, z)];
                if (was == aluminium || x <= 1) {
                    EXPECT_EQ(now, was) << x << ", " << y << ", " << z;
                }
                if (x >= 8) { // open silicon: layers 7..9 in, 10..11 out
                    EXPECT_EQ(now, z >= 7 && z <= 11 ? oxide : was) << x << ", " << y << ", " << z;
                }
            }
}

TEST(DopingAndOxidation, CellsDoNotDependOnTheThreadCount)
{
    using Run = std::function<void(TotalVolume *)>;
    const std::vector<std::pair<const char *, Run>> runs = {
        {"simple doping", [](TotalVolume *v) { SimpleDoping(v, nDoped, 2.7f).simulate(); }},
        {"ion implantation", [](TotalVolume *v) { IonImplantation(v, pDoped, 4.0f, 1.5f, 2.2f).simulate(); }},
        {"oxidation", [](TotalVolume *v) { SimpleSiOxidation(v, 100.0).simulate(0.05); }},
    };
    for (const auto &run : runs) {
        std::vector<std::vector<uint32_t>> results;
        for (int threads : {1, 2, 7}) {
            PoolThreads pool(threads);
            auto volume = randomScene(29, 13, 17, 7);
            run.second(volume.get());
            results.push_back(volume->materialIds());
        }
        EXPECT_EQ(results[0], results[1]) << run.first;
        EXPECT_EQ(results[0], results[2]) << run.first;
        EXPECT_NE(results[0], randomScene(29, 13, 17, 7)->materialIds()) << run.first;
    }
}

class DopingOperationTest : public ::testing::Test, public OperationHarness
{
protected:
    // Runs the operation `make` gives on a new scene and the batch step on another;
    // both must give the same cells, numbers and marks.
    void expectOperationMatchesStep(const std::string &name, int32_t typeId, bool undoable,
                                    const std::function<OperationPtr()> &make, const ProcessData &batch)
    {
        SCOPED_TRACE(name);
        context.scene.reset();
        context.history.clear();
        context.latticeStale.clear();
        log->lines.clear();
        auto volume = scene();
        const std::vector<uint32_t> before = volume->materialIds();
        context.scene.add(volume);
        factory->make = make;
        context.activate(1);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[0], name + ": Cell volume selected.");
        EXPECT_EQ(log->lines[1], name + ": Operation finished.");
        EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), typeId);
        EXPECT_TRUE(context.latticeStale.at(volume->getId()));
        const std::vector<uint32_t> after = volume->materialIds();
        EXPECT_NE(after, before);
        EXPECT_EQ(context.history.undoCount(), undoable ? 1u : 0u);
        if (undoable) {
            ASSERT_TRUE(context.history.undo());
            EXPECT_EQ(volume->materialIds(), before);
            ASSERT_TRUE(context.history.redo());
            EXPECT_EQ(volume->materialIds(), after);
        }

        OperationContext batchContext;
        ProcessListRunner runner(batchContext);
        auto batchVolume = scene();
        runner.setVolume(batchVolume);
        EXPECT_EQ(runner.run({batch}).outcome, ProcessListRunner::Outcome::Completed);
        EXPECT_EQ(batchVolume->materialIds(), after);
        EXPECT_EQ(batchContext.lastProcessByVolume.at(batchVolume->getId()), typeId);
        EXPECT_TRUE(batchContext.latticeStale.at(batchVolume->getId()));
    }
};

TEST_F(DopingOperationTest, OperationsMatchTheirBatchStepsAndNeedTheirParameters)
{
    expectOperationMatchesStep("Doping", 17, true, [&] {
        return described(context, 8, {{"Doping Depth", 2.5f}, {"Doped Material", nDoped}});
    }, step(8, {{"Doping Depth", 2.5f}, {"Doped Material_Id", nDoped}}));
    expectOperationMatchesStep("Ion Implantation", 3, true, [&] {
        return described(context, 14, {{"Doped Material", pDoped}, {"Implantation Depth", 3.0f},
                                       {"Vertical Spread", 1.0f}, {"Annealing Distance", 1.5f}});
    }, step(14, {{"Annealing Distance", 1.5f}, {"Implantation Depth", 3.0f}, {"Doped Material_Id", pDoped}, {"Vertical Spread", 1.0f}}));
    expectOperationMatchesStep("Simple Si Oxidation", 26, true, [&] {
        return described(context, 15, {{"OxidationTimeSet", true}, {"Oxidation Time", 2.0}, {"Oxidation Temperature", 1273.0},
                                       {"Oxidation Pressure", 1.0}, {"Micron Conversion", 20.0}});
    }, step(15, {{"OxidationTimeSet", true}, {"Micron Conversion", 20.0}, {"Oxidation Pressure", 1.0},
                 {"Oxidation Temperature", 1273.0}, {"Oxidation Time", 2.0}}));
    expectOperationMatchesStep("Simple Si Oxidation", 26, true, [&] {
        return described(context, 15, {{"OxidationTimeSet", false}, {"Oxidation Thickness", 2.5}, {"Micron Conversion", 1.0}});
    }, step(15, {{"OxidationTimeSet", false}, {"Micron Conversion", 1.0}, {"Oxidation Thickness", 2.5}}));

    // No options: canceled, nothing changes.
    const std::vector<std::pair<std::string, std::function<OperationPtr()>>> incomplete = {
        // A dialog rejected: the operation has no values.
        {"Doping", [&] { return described(context, 8); }},
        {"Ion Implantation", [&] { return described(context, 14); }},
        {"Simple Si Oxidation", [&] { return described(context, 15); }},
    };
    for (const auto &c : incomplete) {
        context.scene.reset();
        auto volume = scene();
        const std::vector<uint32_t> before = volume->materialIds();
        context.scene.add(volume);
        log->lines.clear();
        factory->make = c.second;
        context.activate(1);
        ASSERT_EQ(log->lines.size(), 2u);
        EXPECT_EQ(log->lines[1], c.first + ": Operation canceled.");
        EXPECT_EQ(volume->materialIds(), before);
    }
    EXPECT_EQ(Core::Processes::DescribedProcessOperation(context, *Core::Processes::ProcessRegistry::instance().byBatchType(8))
                  .getSnapshot()
                  .getKey(),
              "Doping");
}

TEST_F(DopingOperationTest, BatchStepsRefuseMissingAndInvalidValues)
{
    ProcessListRunner runner(context);
    auto volume = scene();
    runner.setVolume(volume);
    const std::vector<uint32_t> before = volume->materialIds();
    EXPECT_EQ(runner.runStep(step(8, {{"Doping Depth", 2.0f}})), 1);
    EXPECT_EQ(runner.runStep(step(8, {{"Doping Depth", -2.0f}, {"Doped Material_Id", nDoped}})), 2);
    EXPECT_EQ(runner.runStep(step(14, {{"Annealing Distance", 1.0f}, {"Implantation Depth", 3.0f}, {"Doped Material_Id", nDoped}})), 1);
    EXPECT_EQ(runner.runStep(step(14, {{"Annealing Distance", 1.0f}, {"Implantation Depth", QString("deep")}, {"Doped Material_Id", nDoped}, {"Vertical Spread", 1.0f}})), 2);
    EXPECT_EQ(runner.runStep(step(15, {{"Micron Conversion", 1.0}, {"Oxidation Thickness", 2.0}})), 1);
    // Time chosen: the thickness alone is not enough.
    EXPECT_EQ(runner.runStep(step(15, {{"OxidationTimeSet", true}, {"Micron Conversion", 1.0}, {"Oxidation Thickness", 2.0}})), 1);
    EXPECT_EQ(runner.runStep(step(15, {{"OxidationTimeSet", false}, {"Oxidation Thickness", 2.0}})), 1);
    EXPECT_EQ(runner.runStep(step(15, {{"OxidationTimeSet", false}, {"Micron Conversion", 0.0}, {"Oxidation Thickness", 2.0}})), 2);
    EXPECT_EQ(runner.runStep(step(15, {{"OxidationTimeSet", true}, {"Micron Conversion", 1.0}, {"Oxidation Pressure", -1.0},
                                       {"Oxidation Temperature", 1273.0}, {"Oxidation Time", 2.0}})), 2);
    EXPECT_EQ(volume->materialIds(), before);
    EXPECT_TRUE(context.lastProcessByVolume.empty());
    EXPECT_TRUE(context.latticeStale.empty());
}
