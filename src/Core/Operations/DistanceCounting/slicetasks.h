#pragma once

#include "Util/pooltasks.h"

#include <cstdint>

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
    // Could a task not be started, the started ones finish before the error leaves.
    Util::PoolTasks tasks;
    for (int32_t slice = 0; slice < count; ++slice)
        tasks.start([&job, slice] { job(slice); });
    tasks.wait();
}

} // namespace Operations
} // namespace Core
