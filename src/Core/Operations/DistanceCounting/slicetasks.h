#pragma once

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <cstdint>
#include <exception>
#include <vector>

namespace Core {
namespace Operations {

// Runs job(slice) for slices 0 .. count - 1 as one task each on the global thread pool
// and waits for every task, in slice order, before returning. A single slice runs in
// the calling thread. Tasks never wait for each other, so a caller that is itself a
// pool task cannot starve the pool. An exception thrown by a task is rethrown here
// once all tasks have stopped, so nothing is left running on a dying automaton.
template <class Job>
void runSliceTasks(int32_t count, const Job &job)
{
    if (count <= 1) {
        if (count == 1)
            job(0);
        return;
    }
    std::vector<std::exception_ptr> errors(static_cast<size_t>(count));
    std::vector<QFuture<void>> futures;
    futures.reserve(static_cast<size_t>(count));
    try {
        for (int32_t slice = 0; slice < count; ++slice) {
            futures.push_back(QtConcurrent::run(QThreadPool::globalInstance(), [&job, &errors, slice] {
                try {
                    job(slice);
                } catch (...) {
                    errors[static_cast<size_t>(slice)] = std::current_exception();
                }
            }));
        }
    } catch (...) {
        // Could not start every task: let the started ones finish before leaving.
        for (QFuture<void> &future : futures)
            future.waitForFinished();
        throw;
    }
    for (QFuture<void> &future : futures)
        future.waitForFinished();
    for (const std::exception_ptr &error : errors)
        if (error)
            std::rethrow_exception(error);
}

} // namespace Operations
} // namespace Core
