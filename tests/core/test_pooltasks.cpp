// Jobs on the global thread pool: every job runs once, errors come back in start order,
// and a job that waits for jobs of its own finishes even with a single pool thread. The
// split of a volume into slabs, and the voxel lock every automaton holds.
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/pooltasks.h"

#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

class PoolTasksTest : public ::testing::Test
{
protected:
    void TearDown() override { QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount()); }
};

TEST_F(PoolTasksTest, EveryJobRunsAndTheFirstErrorInStartOrderComesBack)
{
    QThreadPool::globalInstance()->setMaxThreadCount(3);
    std::vector<int> runs(12, 0);
    Util::PoolTasks tasks;
    for (size_t i = 0; i < runs.size(); ++i) {
        tasks.start([&runs, i] {
            ++runs[i];
            if (i == 4)
                throw std::runtime_error("job 4");
            if (i == 9)
                throw std::logic_error("job 9");
        });
    }
    try {
        tasks.wait();
        ADD_FAILURE() << "no error came back";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "job 4");
    }
    EXPECT_EQ(runs, std::vector<int>(12, 1));

    // The group can be used again once it has been waited for.
    int later = 0;
    tasks.start([&later] { later = 7; });
    tasks.wait();
    EXPECT_EQ(later, 7);
}

TEST_F(PoolTasksTest, SlabsCoverTheRangeOnceAndNestedGroupsFinishOnOnePoolThread)
{
    for (int threads : {1, 2, 7}) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        struct Slab
        {
            int32_t begin = -1, end = -1;
        };
        const std::vector<Slab> slabs = Model::Automaton::SlabRunner::run<Slab>(
            3, 40, [](int32_t begin, int32_t end, Slab *out) { *out = Slab{begin, end}; });
        ASSERT_EQ(slabs.size(), static_cast<size_t>(threads));
        int32_t next = 3;
        for (const Slab &s : slabs) {
            EXPECT_EQ(s.begin, next) << threads << " threads";
            next = s.end;
        }
        EXPECT_EQ(next, 40) << threads << " threads";
    }

    // Every pool thread busy with an outer job: the inner jobs run in the waiting thread.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    std::atomic<int> inner{0};
    Util::PoolTasks outer;
    for (int o = 0; o < 2; ++o) {
        outer.start([&inner] {
            Util::PoolTasks nested;
            for (int i = 0; i < 5; ++i)
                nested.start([&inner] { ++inner; });
            nested.wait();
        });
    }
    outer.wait();
    EXPECT_EQ(inner.load(), 10);
}

using Model::Automaton::Slabs;

std::vector<uint32_t> lengthsOf(const Slabs &slabs)
{
    std::vector<uint32_t> lengths;
    for (int32_t s = 0; s < slabs.count(); ++s)
        lengths.push_back(slabs.last(s) - slabs.first(s));
    return lengths;
}

TEST(Slabs, EdgeCasesAndTheMinimumThicknessTheAutomataAskFor)
{
    // One thread, no thread, fewer layers than threads, no layers: one slab of everything.
    for (const Slabs &one : {Slabs(37, 1), Slabs(37, 0), Slabs(37, -3), Slabs(5, 8), Slabs(0, 4)}) {
        ASSERT_EQ(one.count(), 1);
        EXPECT_EQ(one.first(0), 0u);
        EXPECT_EQ(one.last(0), one.layers());
        EXPECT_EQ(one.slabOf(one.layers()), 0);
    }
    // The first (layers mod threads) slabs take one layer more.
    EXPECT_EQ(lengthsOf(Slabs(100, 7)), (std::vector<uint32_t>{15, 15, 14, 14, 14, 14, 14}));
    EXPECT_EQ(lengthsOf(Slabs(10, 8)), (std::vector<uint32_t>{2, 2, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(lengthsOf(Slabs(8, 8)), std::vector<uint32_t>(8, 1));
    // Layers beyond the range belong to the last slab.
    EXPECT_EQ(Slabs(100, 7).slabOf(100), 6);
    EXPECT_EQ(Slabs(100, 7).slabOf(4000000000u), 6);

    // The minimum thickness: photolithography, masked cuts and the Moore automaton ask
    // for 2 layers a slab, the column passes (spin coating, planarization) for 3.
    EXPECT_EQ(lengthsOf(Slabs(20, 7, 2)), (std::vector<uint32_t>{3, 3, 3, 3, 3, 3, 2}));
    EXPECT_EQ(Slabs(20, 11, 2).count(), 1);
    EXPECT_EQ(Slabs(20, 10, 2).count(), 10);
    EXPECT_EQ(Slabs(20, 7, 3).count(), 1);
    EXPECT_EQ(Slabs(21, 7, 3).count(), 7);
    EXPECT_EQ(Slabs(21, 7, 0).count(), 7); // a minimum of 0 counts as 1

    // Every split covers its layers once, in order, with slabs that differ by one layer
    // at most, the longer ones first, and slabOf finds the slab of every layer.
    for (uint32_t layers = 0; layers <= 40; ++layers)
        for (int threads = 1; threads <= 9; ++threads)
            for (uint32_t minimum = 1; minimum <= 3; ++minimum) {
                SCOPED_TRACE(testing::Message() << layers << " layers, " << threads << " threads, minimum " << minimum);
                const Slabs slabs(layers, threads, minimum);
                const bool split = layers / static_cast<uint32_t>(threads) >= minimum;
                ASSERT_EQ(slabs.count(), split ? threads : 1);
                uint32_t next = 0;
                for (int32_t s = 0; s < slabs.count(); ++s) {
                    ASSERT_EQ(slabs.first(s), next);
                    next = slabs.last(s);
                    const uint32_t length = slabs.last(s) - slabs.first(s);
                    if (split) {
                        EXPECT_GE(length, minimum);
                    }
                    if (s > 0) {
                        const uint32_t before = slabs.last(s - 1) - slabs.first(s - 1);
                        EXPECT_TRUE(length == before || length + 1 == before);
                    }
                    for (uint32_t x = slabs.first(s); x < slabs.last(s); ++x)
                        EXPECT_EQ(slabs.slabOf(x), s);
                }
                EXPECT_EQ(next, layers);
            }
}

TEST_F(PoolTasksTest, SlabsRunEveryOneOnceAndASingleSlabInTheCallingThread)
{
    QThreadPool::globalInstance()->setMaxThreadCount(3);
    const Slabs three = Slabs::forPool(30);
    ASSERT_EQ(three.count(), 3);
    std::vector<int> runs(3, 0);
    three.run([&runs](int32_t s) { ++runs[static_cast<size_t>(s)]; });
    EXPECT_EQ(runs, std::vector<int>(3, 1));

    const Slabs one = Slabs::forPool(2);
    ASSERT_EQ(one.count(), 1);
    std::thread::id ranOn;
    one.run([&ranOn](int32_t) { ranOn = std::this_thread::get_id(); });
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // An error leaves once every slab has stopped; the first one in slab order wins.
    std::atomic<int> finished{0};
    try {
        three.run([&finished](int32_t s) {
            ++finished;
            if (s > 0)
                throw std::runtime_error(s == 1 ? "slab 1" : "slab 2");
        });
        ADD_FAILURE() << "no error came back";
    } catch (const std::runtime_error &e) {
        EXPECT_STREQ(e.what(), "slab 1");
    }
    EXPECT_EQ(finished.load(), 3);
}

TEST(VoxelLock, ReleasesTheCellsWhenTheHolderThrows)
{
    Model::Automaton::TotalVolume volume(3, 2, 2, 1.0f, 1.0f, 1.0f, Util::Vector3D());
    const auto fail = [&volume] {
        const Model::Automaton::VoxelLock lock(volume);
        lock[0].setMaterialId(4);
        throw std::runtime_error("half way");
    };
    EXPECT_THROW(fail(), std::runtime_error);
    // The cells can be had again, here and from another thread.
    EXPECT_EQ(volume.materialIds()[0], 4u);
    uint32_t seen = 0;
    std::thread other([&volume, &seen] { seen = Model::Automaton::VoxelLock(volume)[0].getMaterialId(); });
    other.join();
    EXPECT_EQ(seen, 4u);

    // An error in a slab of work done under the lock releases it as well.
    QThreadPool::globalInstance()->setMaxThreadCount(2);
    EXPECT_THROW(
        {
            const Model::Automaton::VoxelLock lock(volume);
            Slabs::forPool(volume.getSizeX()).run([](int32_t s) {
                if (s == 0)
                    throw std::runtime_error("slab 0");
            });
        },
        std::runtime_error);
    QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
    EXPECT_EQ(volume.materialIds()[0], 4u);
}

} // namespace
