#pragma once

#include "Model/Automaton/totalvolume.h"

#include "Util/pooltasks.h"

#include <QThreadPool>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

// Holds a volume's voxel mutex for a scope, so that it is released on every path.
class HeldVoxels
{
public:
    explicit HeldVoxels(TotalVolume *volume) : volume(volume), voxels(volume->lockVoxels()) {}
    ~HeldVoxels() { volume->unlockVoxels(); }
    HeldVoxels(const HeldVoxels &) = delete;
    HeldVoxels &operator=(const HeldVoxels &) = delete;
    const Voxel *get() const { return voxels; }

private:
    TotalVolume *volume;
    const Voxel *voxels;
};

namespace SlabRunner {

// Splits [x0, x1) into as many slabs as the global pool has threads and runs
// work(begin, end, output) for each; slab i is [x0 + i * span, x0 + (i + 1) * span), the
// last one ending at x1. With fewer layers than threads the calling thread does it all.
// Outputs (default-constructed `Output`s) come back in slab order; the first error of
// any slab is rethrown after all slabs have finished.
template <typename Output, typename Work>
std::vector<Output> run(int32_t x0, int32_t x1, const Work &work)
{
    const int n = std::max(1, QThreadPool::globalInstance()->maxThreadCount());
    const int32_t span = (x1 - x0) / n;
    std::vector<Output> outputs;
    if (span <= 0) {
        outputs.resize(1);
        work(x0, x1, &outputs[0]);
        return outputs;
    }
    outputs.resize(static_cast<size_t>(n));
    // Waits for every started slab, also when starting one fails: they write into outputs.
    Util::PoolTasks tasks;
    for (int i = 0; i < n; ++i) {
        const int32_t begin = x0 + i * span;
        const int32_t end = i == n - 1 ? x1 : begin + span;
        Output *out = &outputs[static_cast<size_t>(i)];
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
