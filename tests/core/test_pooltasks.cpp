// Jobs on the global thread pool: every job runs once, errors come back in start order,
// and a job that waits for jobs of its own finishes even with a single pool thread.
#include "Model/Automaton/slabrunner.h"
#include "Util/pooltasks.h"

#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
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

} // namespace
