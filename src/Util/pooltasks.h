#pragma once

#include <QRunnable>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QThreadPool;

namespace Util {

// A group of jobs run on a thread pool (the global one by default), which the starting
// thread waits for. wait() runs the jobs no pool thread has taken yet in the calling
// thread, so a caller that is itself a pool task cannot starve the pool.
//
// Every hand-over of data between the starting thread and a job is ordered by this
// class's own mutex or, for the start of a job, declared to the thread checker (see
// threadcheck.h): Qt's libraries synchronise their pool queue where a ThreadSanitizer
// build cannot see it.
class PoolTasks
{
public:
    explicit PoolTasks(QThreadPool *pool = nullptr);
    // Waits for every started job: they may write into the caller's outputs.
    ~PoolTasks();
    PoolTasks(const PoolTasks &) = delete;
    PoolTasks &operator=(const PoolTasks &) = delete;

    void start(std::function<void()> job);
    // Returns once every job has finished; then rethrows the first error in the order
    // the jobs were started.
    void wait();

private:
    class Task : public QRunnable
    {
    public:
        Task(PoolTasks *group, std::function<void()> job);
        void run() override;

        PoolTasks *group;
        std::function<void()> job;
        std::exception_ptr error;
    };

    void finished();
    void waitAll();

    QThreadPool *pool;
    std::vector<std::unique_ptr<Task>> tasks;
    std::mutex mutex;
    std::condition_variable allDone;
    size_t pending = 0;
};

} // namespace Util
