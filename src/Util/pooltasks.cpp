#include "Util/pooltasks.h"

#include "Util/threadcheck.h"

#include <QThreadPool>
#include <utility>

namespace Util {

PoolTasks::Task::Task(PoolTasks *group, std::function<void()> job) : group(group), job(std::move(job))
{
    // The group owns its tasks; the pool must not delete them.
    setAutoDelete(false);
}

void PoolTasks::Task::run()
{
    takeOver(this);
    try {
        job();
    } catch (...) {
        error = std::current_exception();
    }
    // The group, and this task with it, may be gone as soon as it hears of the end.
    group->finished();
}

PoolTasks::PoolTasks(QThreadPool *pool) : pool(pool ? pool : QThreadPool::globalInstance()) {}

PoolTasks::~PoolTasks()
{
    // Leaving early (an exception while starting): jobs not yet taken are dropped, the
    // others are waited for.
    for (const std::unique_ptr<Task> &task : tasks) {
        if (pool->tryTake(task.get())) {
            std::lock_guard<std::mutex> lock(mutex);
            --pending;
        }
    }
    waitAll();
}

void PoolTasks::start(std::function<void()> job)
{
    tasks.push_back(std::make_unique<Task>(this, std::move(job)));
    Task *task = tasks.back().get();
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++pending;
    }
    handOver(task);
    try {
        pool->start(task);
    } catch (...) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            --pending;
        }
        tasks.pop_back();
        throw;
    }
}

void PoolTasks::wait()
{
    for (const std::unique_ptr<Task> &task : tasks)
        if (pool->tryTake(task.get()))
            task->run();
    waitAll();
    std::exception_ptr first;
    for (const std::unique_ptr<Task> &task : tasks) {
        if (task->error) {
            first = task->error;
            break;
        }
    }
    tasks.clear();
    if (first)
        std::rethrow_exception(first);
}

void PoolTasks::finished()
{
    // Notified under the lock: the waiting thread may destroy the group right after.
    std::lock_guard<std::mutex> lock(mutex);
    --pending;
    allDone.notify_all();
}

void PoolTasks::waitAll()
{
    std::unique_lock<std::mutex> lock(mutex);
    allDone.wait(lock, [this] { return pending == 0; });
}

} // namespace Util
