#pragma once

#include "Util/pooltasks.h"

#include <QThreadPool>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

// The one split of a range of layers (usually the x layers of a volume) into slabs for
// parallel work. For `threads` threads the range is cut into `threads` slabs of whole
// layers when each gets at least `minimumLayers` of them, and otherwise left as a single
// slab, which runs in the calling thread. The first (layers mod threads) slabs take one
// layer more than the others, so the slabs differ by one layer at most. Work that splits
// this way must give the same result for any split: every automaton does.
class Slabs
{
public:
    // `layers` layers [0, layers) for `threads` threads; a thread count below 1 counts as
    // 1, and so does a minimum below 1.
    Slabs(uint32_t layers, int threads, uint32_t minimumLayers = 1)
        : layerCount(layers)
    {
        const uint32_t n = threads > 1 ? static_cast<uint32_t>(threads) : 1u;
        const uint32_t minimum = std::max<uint32_t>(minimumLayers, 1);
        if (layers / n >= minimum) {
            slabCount = static_cast<int32_t>(n);
            span = layers / n;
            longer = layers % n;
        } else {
            slabCount = 1;
            span = layers;
            longer = 0;
        }
    }

    // The split for the global pool's thread count.
    static Slabs forPool(uint32_t layers, uint32_t minimumLayers = 1)
    {
        return Slabs(layers, QThreadPool::globalInstance()->maxThreadCount(), minimumLayers);
    }

    int32_t count() const { return slabCount; }
    uint32_t layers() const { return layerCount; }
    // First and one-past-last layer of slab `s`.
    uint32_t first(int32_t s) const
    {
        const uint32_t i = static_cast<uint32_t>(s);
        return i * span + std::min(i, longer);
    }
    uint32_t last(int32_t s) const { return s + 1 == slabCount ? layerCount : first(s + 1); }
    // The slab that holds layer x; layers beyond the range count to the last slab.
    int32_t slabOf(uint32_t x) const
    {
        if (slabCount == 1)
            return 0;
        const uint32_t wide = longer * (span + 1);
        const uint32_t s = x < wide ? x / (span + 1) : longer + (x - wide) / span;
        return static_cast<int32_t>(std::min(s, static_cast<uint32_t>(slabCount - 1)));
    }

    // Runs job(slab) for every slab, one task each on the global pool, and returns once
    // all have finished; a single slab runs in the calling thread. The first error of
    // any slab (in slab order) is rethrown after every slab has stopped.
    template <class Job>
    void run(const Job &job) const
    {
        runTasks(slabCount, job);
    }

    // Runs job(i) for i in 0 .. count - 1 as run() does: one pool task each, a single job
    // in the calling thread. Tasks never wait for each other, so a caller that is itself a
    // pool task cannot starve the pool.
    template <class Job>
    static void runTasks(int32_t count, const Job &job)
    {
        if (count <= 1) {
            if (count == 1)
                job(0);
            return;
        }
        // Could a task not be started, the started ones finish before the error leaves.
        Util::PoolTasks tasks;
        for (int32_t i = 0; i < count; ++i)
            tasks.start([&job, i] { job(i); });
        tasks.wait();
    }

private:
    uint32_t layerCount;
    int32_t slabCount;
    uint32_t span;   // layers of a short slab
    uint32_t longer; // slabs with one layer more, at the front
};

namespace SlabRunner {

// Splits [x0, x1) as Slabs::forPool does and runs work(begin, end, output) for each slab.
// Outputs (default-constructed `Output`s) come back in slab order; the first error of
// any slab is rethrown after all slabs have finished. An empty or reversed range is one
// call work(x0, x1, output) in the calling thread.
template <typename Output, typename Work>
std::vector<Output> run(int32_t x0, int32_t x1, const Work &work)
{
    std::vector<Output> outputs;
    if (x1 <= x0) {
        outputs.resize(1);
        work(x0, x1, &outputs[0]);
        return outputs;
    }
    const Slabs slabs = Slabs::forPool(static_cast<uint32_t>(int64_t(x1) - x0));
    outputs.resize(static_cast<size_t>(slabs.count()));
    // Even a single slab is a pool task here (which wait() may still run itself): the
    // views' face lists are then built and freed by the pool's threads, as they always were.
    Util::PoolTasks tasks;
    for (int32_t s = 0; s < slabs.count(); ++s) {
        const int32_t begin = x0 + static_cast<int32_t>(slabs.first(s));
        const int32_t end = x0 + static_cast<int32_t>(slabs.last(s));
        Output *out = &outputs[static_cast<size_t>(s)];
        tasks.start([&work, begin, end, out] { work(begin, end, out); });
    }
    tasks.wait();
    return outputs;
}

// Appends the slabs' lists, whole and in slab order, to `dest` (emptied first); each
// slab's list is released as soon as it has been copied.
template <typename Output, typename Element>
void splice(std::vector<Element> *dest, std::vector<Output> *outputs, std::vector<Element> Output::*list)
{
    size_t total = 0;
    for (const Output &o : *outputs)
        total += (o.*list).size();
    std::vector<Element> &first = (*outputs)[0].*list;
    if (first.capacity() >= total) {
        *dest = std::move(first);
    } else {
        std::vector<Element>().swap(*dest);
        dest->reserve(total);
        dest->insert(dest->end(), first.begin(), first.end());
        std::vector<Element>().swap(first);
    }
    for (size_t i = 1; i < outputs->size(); ++i) {
        std::vector<Element> &part = (*outputs)[i].*list;
        dest->insert(dest->end(), part.begin(), part.end());
        std::vector<Element>().swap(part);
    }
}

} // namespace SlabRunner
} // namespace Automaton
} // namespace Model
