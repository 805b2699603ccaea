// Random-walk doping: the walk's rules (surfaces, lost and wrapping particles, the
// threshold), its field on the volume, the operation and batch step, and the diffusion
// profile it must reproduce.
#include "Core/BatchRun/processlistrunner.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdopingoperation.h"
#include "Core/Operations/operationcontext.h"
#include "filmtestsupport.h"
#include "operationtestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

using namespace Core::Operations;
using namespace FilmTest;
using Model::Automaton::VoxelLock;

namespace {

constexpr int fieldSlots = 7;
constexpr uint32_t nType = 14;
constexpr uint32_t pType = 15;
const float h = 1e-7f;           // 0.1 um
const float diffusion = 2.6e-18f; // 2.6e-14 cm^2/s
const float halfStep = h * h / (12.0f * diffusion); // half the particles move each step

std::vector<int32_t> fieldOf(TotalVolume &volume, const QString &name)
{
    VoxelLock lock(volume);
    const int32_t *field = volume.particleField(name);
    if (!field)
        return {};
    return std::vector<int32_t>(field, field + volume.getCellCount() * fieldSlots);
}

int32_t cellTotal(const std::vector<int32_t> &field, size_t cell)
{
    return std::accumulate(field.begin() + cell * fieldSlots, field.begin() + (cell + 1) * fieldSlots, 0);
}

// Silicon with `open` empty layers on top.
TotalVolumePtr block(uint32_t sx, uint32_t sy, uint32_t sz, uint32_t open)
{
    return makeVolume(sx, sy, sz, [=](uint32_t, uint32_t, uint32_t z) { return z + open < sz ? 1u : 0u; });
}

// The smallest x with erfc(x) <= c, by bisection.
double erfcInverse(double c)
{
    double low = 0.0, high = 10.0;
    for (int i = 0; i < 200; ++i) {
        const double middle = (low + high) / 2;
        (std::erfc(middle) > c ? low : high) = middle;
    }
    return (low + high) / 2;
}

} // namespace

TEST(RandomWalkDoping, DialogDefaultsLetHalfTheParticlesMoveAndNoneEnter)
{
    auto volume = block(4, 4, 6, 2);
    const std::vector<uint32_t> before = volume->materialIds();
    // 2.6e-14 cm^2/s, 0.1 um, 320.5128205128206 s, 1e-15 cm^-3, 10 %.
    RandomWalkDoping doping(volume.get(), nType, 2.6e-18f, 1e-7f, 320.5128205128206f, 1e-9f, 1e-10f, 1u);
    EXPECT_NEAR(doping.getStayProbability(), 0.5f, 1e-6f);
    EXPECT_NEAR(doping.getMoveProbability(), 1.0f / 12.0f, 1e-6f);
    EXPECT_EQ(doping.getSurfaceCount(), 0);
    EXPECT_EQ(doping.stepsFor(3600.0f), 11);
    doping.dope(3600.0f);
    EXPECT_EQ(volume->materialIds(), before);
    const std::vector<int32_t> field = fieldOf(*volume, RandomWalkDoping::fieldNameN);
    ASSERT_EQ(field.size(), volume->getCellCount() * fieldSlots);
    EXPECT_TRUE(std::all_of(field.begin(), field.end(), [](int32_t c) { return c == 0; }));

    // A time shorter than one step runs none, but the field is attached all the same.
    auto other = block(3, 3, 3, 1);
    RandomWalkDoping(other.get(), pType, 2.6e-18f, 1e-7f, 320.0f, 1e24f, 1e23f).dope(100.0f);
    EXPECT_EQ(fieldOf(*other, RandomWalkDoping::fieldNameP).size(), other->getCellCount() * fieldSlots);
    EXPECT_TRUE(other->property(RandomWalkDoping::fieldNameN).isNull());
}

TEST(RandomWalkDoping, ParticlesWrapInXAndYAndAreLostThroughTopBottomAndIntoMarkedCells)
{
    // 3 x 3 x 4 silicon with one oxide cell; nothing is empty, so nothing enters. With
    // D = 0 every gathered particle stays, so slot 6 after one step shows where each
    // group of movers arrived.
    auto volume = makeVolume(3, 3, 4, [](uint32_t x, uint32_t y, uint32_t z) {
        return x == 1 && y == 1 && z == 1 ? 3u : 1u;
    });
    const QString name = RandomWalkDoping::fieldNameN;
    int32_t *field = volume->createParticleField(name);
    auto put = [&](uint32_t x, uint32_t y, uint32_t z, int slot, int32_t n) { field[volume->index(x, y, z) * fieldSlots + slot] = n; };
    put(0, 0, 3, 0, 5);  // upwards out of the top: lost
    put(0, 0, 0, 1, 3);  // downwards out of the bottom: lost
    put(0, 1, 1, 5, 7);  // towards -x from x = 0: arrives at x = 2, joining 50 that stay
    put(2, 2, 2, 4, 11); // towards +x from x = 2: arrives at x = 0
    put(1, 0, 2, 3, 13); // towards -y from y = 0: arrives at y = 2
    put(1, 2, 3, 2, 17); // towards +y from y = 2: arrives at y = 0
    put(1, 1, 0, 0, 19); // up into the oxide cell: lost
    put(2, 0, 1, 1, 23); // down from z = 1: arrives at z = 0
    put(2, 1, 1, 6, 50); // 57 after the gather: more than 40, drawn by the binomial rule
    RandomWalkDoping doping(volume.get(), nType, 0.0f, h, halfStep, 0.0f, 1e30f, 7u);
    EXPECT_FALSE(doping.isFieldCreated());
    EXPECT_EQ(doping.getParticleField(), field);
    doping.dope(halfStep * 1.5f);

    const std::vector<int32_t> after = fieldOf(*volume, name);
    auto stayed = [&](uint32_t x, uint32_t y, uint32_t z) { return after[volume->index(x, y, z) * fieldSlots + 6]; };
    EXPECT_EQ(stayed(2, 1, 1), 57);
    EXPECT_EQ(stayed(0, 2, 2), 11);
    EXPECT_EQ(stayed(1, 2, 2), 13);
    EXPECT_EQ(stayed(1, 0, 3), 17);
    EXPECT_EQ(stayed(2, 0, 0), 23);
    EXPECT_EQ(std::accumulate(after.begin(), after.end(), 0), 7 + 11 + 13 + 17 + 23 + 50);
    EXPECT_EQ(cellTotal(after, volume->index(1, 1, 1)), 0);
    {
        VoxelLock cells(*volume);
        EXPECT_TRUE(cells[volume->index(1, 1, 1)].isMarked());
        EXPECT_FALSE(cells[volume->index(0, 0, 0)].isMarked());
    }
    EXPECT_EQ(FilmTest::count(volume->materialIds(), nType), 0u); // threshold out of reach
}

TEST(RandomWalkDoping, SurfaceCellsHoldTheSurfaceCountAndTheWholeCountMeetsTheThreshold)
{
    // Everything moves (stay probability 0), so after a step no particle is left in
    // slot 6: a cell is doped because of all the particles it gathered.
    auto volume = block(4, 3, 6, 2);
    const float everyoneMoves = h * h / (6.0f * diffusion);
    // 50 particles per surface cell; threshold 10 particles.
    const float cs = 50.5f / (h * h * h);
    RandomWalkDoping doping(volume.get(), pType, diffusion, h, everyoneMoves, cs, 10.5f / (h * h * h), 3u);
    ASSERT_FLOAT_EQ(doping.getStayProbability(), 0.0f);
    ASSERT_EQ(doping.getSurfaceCount(), 50);
    ASSERT_EQ(doping.getThresholdCount(), 10);
    doping.dope(everyoneMoves * 3.5f);
    const std::vector<int32_t> field = fieldOf(*volume, RandomWalkDoping::fieldNameP);
    const std::vector<uint32_t> ids = volume->materialIds();
    for (uint32_t x = 0; x < 4; ++x)
        for (uint32_t y = 0; y < 3; ++y) {
            const size_t surface = volume->index(x, y, 3);
            EXPECT_EQ(cellTotal(field, surface), 50);
            EXPECT_EQ(field[surface * fieldSlots + 6], 0);
            EXPECT_EQ(ids[surface], pType);
            EXPECT_EQ(ids[volume->index(x, y, 4)], 0u);
            EXPECT_EQ(cellTotal(field, volume->index(x, y, 4)), 0);
        }
    EXPECT_GT(std::accumulate(field.begin(), field.end(), 0), 4 * 3 * 50);
}

TEST(RandomWalkDoping, FixedSeedRepeatsAndFieldsBelongToTheirVolume)
{
    // The walk's own generator is MT19937.
    for (uint32_t seed : {0u, 5489u, 1733000000u}) {
        MersenneTwister ours(seed);
        std::mt19937 standard(seed);
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(ours(), standard()) << "seed " << seed << ", number " << i;
    }

    auto run = [](uint32_t seed) {
        auto volume = block(8, 6, 12, 2);
        RandomWalkDoping(volume.get(), nType, diffusion, h, halfStep, 1e24f, 1e23f, seed).dope(halfStep * 30.5f);
        return std::make_pair(volume, fieldOf(*volume, RandomWalkDoping::fieldNameN));
    };
    const auto first = run(42);
    const auto second = run(42);
    EXPECT_EQ(first.second, second.second);
    EXPECT_EQ(first.first->materialIds(), second.first->materialIds());
    EXPECT_NE(run(43).second, first.second);
    EXPECT_GT(FilmTest::count(first.first->materialIds(), nType), 8u * 6u);

    // A later run of the same dopant type continues the counts in the same field; the
    // other type gets its own.
    TotalVolume &volume = *first.first;
    int32_t *field = volume.particleField(RandomWalkDoping::fieldNameN);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(volume.property(RandomWalkDoping::fieldNameN).value<void *>(), static_cast<void *>(field));
    const long long before = std::accumulate(first.second.begin(), first.second.end(), 0LL);
    RandomWalkDoping again(&volume, nType, diffusion, h, halfStep, 1e24f, 1e23f, 1u);
    EXPECT_FALSE(again.isFieldCreated());
    EXPECT_EQ(again.getParticleField(), field);
    again.dope(halfStep * 5.5f);
    const std::vector<int32_t> continued = fieldOf(volume, RandomWalkDoping::fieldNameN);
    EXPECT_GT(std::accumulate(continued.begin(), continued.end(), 0LL), before);
    RandomWalkDoping(&volume, pType, diffusion, h, halfStep, 1e24f, 1e23f, 1u).dope(halfStep * 1.5f);
    EXPECT_NE(volume.particleField(RandomWalkDoping::fieldNameP), nullptr);
    EXPECT_EQ(volume.particleField(RandomWalkDoping::fieldNameN), field);
    EXPECT_EQ(volume.propertyNames(), (QStringList{RandomWalkDoping::fieldNameN, RandomWalkDoping::fieldNameP}));

    // A clone starts without fields; replacing the key frees the field (the leak checker
    // watches the rest, which go with the volume).
    const auto clone = std::dynamic_pointer_cast<TotalVolume>(volume.clone());
    EXPECT_TRUE(clone->propertyNames().isEmpty());
    EXPECT_EQ(clone->particleField(RandomWalkDoping::fieldNameN), nullptr);
    volume.setProperty(RandomWalkDoping::fieldNameP, QVariant());
    EXPECT_EQ(volume.particleField(RandomWalkDoping::fieldNameP), nullptr);
    RandomWalkDoping fresh(clone.get(), nType, diffusion, h, halfStep, 1e24f, 1e23f, 1u);
    EXPECT_TRUE(fresh.isFieldCreated());
}

TEST(RandomWalkDoping, DopedDepthFollowsTheErfcProfileOfConstantSourceDiffusion)
{
    // 24 x 24 x 30 silicon under one empty layer, 100 steps of dt = h^2 / (12 D),
    // Cs = 1e18 cm^-3, threshold 10 %.
    const uint32_t size = 24, depth = 30;
    auto volume = block(size, size, depth + 1, 1);
    RandomWalkDoping doping(volume.get(), nType, diffusion, h, halfStep, 1e24f, 1e23f, 2024u);
    ASSERT_EQ(doping.stepsFor(halfStep * 100.5f), 100);
    doping.dope(halfStep * 100.5f);

    // C(z) = Cs erfc(z / (2 sqrt(D t))) with z from the centre of the surface cell, so
    // a column holds (boundary + 0.5) doped cells on average.
    const double t = 100.0 * static_cast<double>(halfStep);
    const double expected = 2.0 * std::sqrt(static_cast<double>(diffusion) * t) * erfcInverse(0.1) / h;
    const std::vector<uint32_t> ids = volume->materialIds();
    const double doped = static_cast<double>(FilmTest::count(ids, nType)) / (size * size);
    EXPECT_NEAR(doped - 0.5, expected, 1.0) << "expected boundary " << expected << " cells";
    // Doping spreads down from the surface only: the bottom stays silicon.
    for (uint32_t x = 0; x < size; ++x)
        for (uint32_t y = 0; y < size; ++y)
            EXPECT_EQ(ids[volume->index(x, y, 0)], 1u);
}

TEST(RandomWalkDoping, OperationAndBatchStepDopeRecordAndUndo)
{
    OperationContext context;
    struct Factory : IOperationFactory
    {
        explicit Factory(OperationContext &c) : c(c) {}
        OperationPtr create(int32_t) override
        {
            auto op = std::make_shared<RandomWalkDopingOperation>(c);
            std::weak_ptr<RandomWalkDopingOperation> weak = op;
            struct Options : Util::IObserver
            {
                std::function<void()> accept;
                void update() override { accept(); }
            };
            auto options = std::make_shared<Options>();
            const float step = dt;
            options->accept = [weak, step] {
                auto o = weak.lock();
                o->setDopantMaterial(nType);
                o->setDiffusionCoefficient(diffusion);
                o->setCellSize(h);
                o->setTimeStep(step);
                o->setSurfaceConcentration(1e24f);
                o->setDopingThreshold(1e23f);
                o->setDopingTime(step * 10.5f);
            };
            op->setOptionsObserver(options);
            last = op;
            return op;
        }
        OperationContext &c;
        float dt = halfStep;
        std::shared_ptr<RandomWalkDopingOperation> last;
    };
    auto factory = std::make_shared<Factory>(context);
    context.setFactory(factory);
    auto log = std::make_shared<OperationTest::Log>(context.interpreter);
    context.interpreter.addMessageObserver(log);

    auto volume = block(6, 6, 10, 2);
    const std::vector<uint32_t> before = volume->materialIds();
    context.scene.add(volume);
    context.activate(36);
    ASSERT_EQ(log->lines.size(), 2u);
    EXPECT_EQ(log->lines[1], "Random Walk Doping: Operation finished.");
    const std::vector<uint32_t> after = volume->materialIds();
    EXPECT_GT(FilmTest::count(after, nType), 0u);
    EXPECT_EQ(context.lastProcessByVolume.at(volume->getId()), 36);
    EXPECT_TRUE(context.latticeStale.at(volume->getId()));
    EXPECT_EQ(context.history.undoName(), "Random Walk Doping");
    EXPECT_EQ(factory->last->getSnapshot().getKey(), QStringLiteral("RandomWalkDoping"));
    ASSERT_TRUE(context.history.undo());
    EXPECT_EQ(volume->materialIds(), before);
    ASSERT_TRUE(context.history.redo());
    EXPECT_EQ(volume->materialIds(), after);

    // A time step too long for the cell size is refused, saying why.
    log->lines.clear();
    factory->dt = halfStep * 4.0f;
    context.activate(36);
    ASSERT_EQ(log->lines.size(), 3u);
    EXPECT_EQ(log->lines[1], "Random Walk Doping: the time step is too long for this cell size and diffusion "
                             "coefficient (D x dt x 6 / h^2 exceeds 1).");
    EXPECT_EQ(log->lines[2], "Random Walk Doping: Operation canceled.");
    EXPECT_EQ(volume->materialIds(), after);

    // The batch step: type 19, recorded as 36; absent or unusable values stop it.
    OperationContext batchContext;
    Core::BatchRun::ProcessListRunner runner(batchContext);
    auto batchVolume = block(6, 6, 10, 2);
    runner.setVolume(batchVolume);
    Core::BatchRun::ProcessData step(19);
    step.setParameter(QStringLiteral("Material_Id"), nType, true);
    step.setParameter(QStringLiteral("Diffusion Coefficient"), diffusion, true);
    step.setParameter(QStringLiteral("Cell Size"), h, true);
    step.setParameter(QStringLiteral("Time Step Duration"), halfStep, true);
    step.setParameter(QStringLiteral("Surface Concentration"), 1e24f, true);
    step.setParameter(QStringLiteral("Doping Threshold"), 1e23f, true);
    step.setParameter(QStringLiteral("Doping Time"), halfStep * 10.5f, true);
    EXPECT_EQ(runner.runStep(step), 0);
    EXPECT_GT(FilmTest::count(batchVolume->materialIds(), nType), 0u);
    EXPECT_NE(batchVolume->particleField(RandomWalkDoping::fieldNameN), nullptr);
    EXPECT_EQ(batchContext.lastProcessByVolume.at(batchVolume->getId()), 36);
    EXPECT_TRUE(batchContext.latticeStale.at(batchVolume->getId()));
    Core::BatchRun::ProcessData tooLong = step;
    tooLong.setParameter(QStringLiteral("Time Step Duration"), halfStep * 4.0f, true);
    EXPECT_EQ(runner.runStep(tooLong), 2);
    Core::BatchRun::ProcessData zeroCell = step;
    zeroCell.setParameter(QStringLiteral("Cell Size"), 0.0f, true);
    EXPECT_EQ(runner.runStep(zeroCell), 2);
    Core::BatchRun::ProcessData missing(19);
    missing.setParameter(QStringLiteral("Material_Id"), nType, true);
    EXPECT_EQ(runner.runStep(missing), 1);
}
