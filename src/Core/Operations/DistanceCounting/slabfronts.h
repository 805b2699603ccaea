#pragma once

#include "Core/Operations/DistanceCounting/cellfront.h"
#include "Model/Automaton/slabrunner.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Core {
namespace Operations {

// The front machinery of the automata that grow a front cell by cell over a volume's x
// slabs (distance counting, Moore neighbourhood). Each slab (Slabs) has the front of the
// current step, the front being built for the next step, and the cells it found one
// layer beyond its bounds: those it hands over to the slab below or above. A step has two
// phases, one pool task per slab each:
//   1. every slab evaluates its front, under its own mutex (openSlice): it only reads
//      cells, queues neighbours (queue) and records the changes it will make;
//   2. every slab takes over its neighbours' hand-overs, writes its own changes and makes
//      the new front current (runStep does both phases).
// No cell is written before every slab has evaluated the step, so the cells do not
// depend on the split.
class SlabFronts
{
public:
    // The slabs the run uses; a single slab runs in the calling thread.
    int32_t getSliceCount() const { return slabs.count(); }
    uint32_t sliceFirst(int32_t slice) const { return slabs.first(slice); }
    uint32_t sliceLast(int32_t slice) const { return slabs.last(slice); }
    // The slab that holds x layer `x`.
    int32_t sliceOf(uint32_t x) const { return slabs.slabOf(x); }

protected:
    // Slabs of `layers` x layers for the global pool, each at least `minimumLayers` thick.
    SlabFronts(uint32_t layers, uint32_t minimumLayers)
        : slabs(Model::Automaton::Slabs::forPool(layers, minimumLayers))
    {
        const size_t n = static_cast<size_t>(slabs.count());
        fronts.resize(n);
        newFronts.resize(n);
        handOverDown.resize(n);
        handOverUp.resize(n);
        for (size_t i = 0; i < n; ++i)
            sliceMutexes.push_back(std::make_unique<std::mutex>());
    }
    ~SlabFronts() = default;
    SlabFronts(const SlabFronts &) = delete;
    SlabFronts &operator=(const SlabFronts &) = delete;

    // Makes both fronts of every slab cover the slab's cells (`layerCells` a layer), empty.
    void coverFronts(size_t layerCells)
    {
        for (int32_t s = 0; s < slabs.count(); ++s) {
            const size_t i = static_cast<size_t>(s);
            const size_t cells = (slabs.last(s) - slabs.first(s)) * layerCells;
            const uint32_t firstCell = static_cast<uint32_t>(slabs.first(s) * layerCells);
            fronts[i].cover(firstCell, cells);
            newFronts[i].cover(firstCell, cells);
        }
    }

    // Locks slice s for the evaluation of its front and empties its hand-overs.
    std::unique_lock<std::mutex> openSlice(size_t s)
    {
        std::unique_lock<std::mutex> lock(*sliceMutexes[s]);
        handOverDown[s].clear();
        handOverUp[s].clear();
        return lock;
    }

    // Queues cell n, of x layer nx, found by slice s (layers first <= x < last): into
    // `front` inside the slice, into the hand-overs beyond it.
    void queue(size_t s, uint32_t first, uint32_t last, CellFront &front, uint32_t n, uint32_t nx)
    {
        if (nx < first)
            handOverDown[s].push_back(n);
        else if (nx >= last)
            handOverUp[s].push_back(n);
        else
            front.insert(n);
    }

    // One step: evaluate(slice) for every slice, then for every slice the neighbours'
    // hand-overs are taken into its new front, apply(slice) writes its changes under its
    // mutex, and the new front becomes current.
    template <class Evaluate, class Apply>
    void runStep(const Evaluate &evaluate, const Apply &apply)
    {
        slabs.run([&evaluate](int32_t s) { evaluate(s); });
        slabs.run([this, &apply](int32_t s) {
            const size_t i = static_cast<size_t>(s);
            CellFront &next = newFronts[i];
            takeHandOvers(i, next, [](uint32_t) { return true; });
            std::lock_guard<std::mutex> lock(*sliceMutexes[i]);
            apply(s);
            fronts[i].clear();
            fronts[i].swap(next);
        });
    }

    // Inserts the cells of the previous slice's handOverUp and the next slice's
    // handOverDown for which keep(cell) holds into `into`, each under its owner's mutex.
    template <class Keep>
    void takeHandOvers(size_t s, CellFront &into, const Keep &keep)
    {
        const auto take = [&](const std::vector<uint32_t> &cells) {
            for (uint32_t cell : cells)
                if (keep(cell))
                    into.insert(cell);
        };
        if (s > 0) {
            std::lock_guard<std::mutex> lock(*sliceMutexes[s - 1]);
            take(handOverUp[s - 1]);
        }
        if (s + 1 < fronts.size()) {
            std::lock_guard<std::mutex> lock(*sliceMutexes[s + 1]);
            take(handOverDown[s + 1]);
        }
    }

    bool frontsEmpty() const
    {
        for (const CellFront &front : fronts)
            if (!front.empty())
                return false;
        return true;
    }

    // Drops the fronts' and hand-overs' storage (outside a run).
    void releaseFronts()
    {
        for (size_t s = 0; s < fronts.size(); ++s) {
            fronts[s].release();
            newFronts[s].release();
            std::vector<uint32_t>().swap(handOverDown[s]);
            std::vector<uint32_t>().swap(handOverUp[s]);
        }
    }

    Model::Automaton::Slabs slabs;
    std::vector<CellFront> fronts;
    std::vector<CellFront> newFronts;
    std::vector<SliceVector<uint32_t>> handOverDown;
    std::vector<SliceVector<uint32_t>> handOverUp;
    std::vector<std::unique_ptr<std::mutex>> sliceMutexes;
};

} // namespace Operations
} // namespace Core
