#pragma once

#include "Core/Operations/DistanceCounting/cellfront.h"
#include "Core/Operations/DistanceCounting/prefetch.h"
#include "Core/Operations/DistanceCounting/slabfronts.h"
#include "Model/Automaton/totalvolume.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Core {
namespace Operations {

// The parallel distance-counting automaton: every cell carries the vector to the
// nearest source cell found so far, and each step lets the cells of a moving front
// improve their vector from their six face neighbours. The fronts run on the volume's x
// slabs as SlabFronts describes (slices here), so the cells do not depend on the number
// of slices.
//
// A process supplies the per-cell rules (initializeCell, stepCell, finalizeCell) and may
// replace the per-slice loops. DistanceCountingAutomaton<Rules> is the fast form: its
// loops call the rules without a virtual call per cell.
class AbstractDistanceCountingAutomatonBase : public SlabFronts
{
public:
    struct ChangeRecord
    {
        uint32_t cell;
        uint32_t materialId;
        float distanceX;
        float distanceY;
        float distanceZ;
    };

    // Takes the sizes and cell sizes of the volume and the thread count of the global
    // pool. Throws std::length_error for a volume whose cell indices exceed 32 bits.
    explicit AbstractDistanceCountingAutomatonBase(Model::Automaton::TotalVolume *volume);
    virtual ~AbstractDistanceCountingAutomatonBase();

    AbstractDistanceCountingAutomatonBase(const AbstractDistanceCountingAutomatonBase &) = delete;
    AbstractDistanceCountingAutomatonBase &operator=(const AbstractDistanceCountingAutomatonBase &) = delete;

    // Locks the cells, initialises them, runs up to `steps` steps and the finalisation,
    // and unlocks. Steps after every front has emptied would change nothing and are
    // left out.
    virtual void run(int64_t steps);

    // Steps the last run actually evaluated.
    int64_t getStepsRun() const { return stepsRun; }
    float getCellSizeX() const { return cellSizeX; }
    float getCellSizeY() const { return cellSizeY; }
    float getCellSizeZ() const { return cellSizeZ; }
    float smallestCellSize() const;

    // (sqrt 2 + 1) / sqrt 2: how many steps the front needs per cell of reach.
    static const double stepFactor;
    // ceil(reach / m) in single precision, times stepFactor in double, truncated.
    static int64_t depositionStepCount(float reach, float smallestCellSize);
    // ceil(reach * stepFactor / m) in double precision.
    static int64_t etchingStepCount(float reach, float smallestCellSize);
    // Steps of a deposition: none where depositionStepCount gives none, otherwise as many
    // as the fronts need. A front can need more than depositionStepCount steps to reach a
    // convex 3-D corner (the diagonal path is up to sqrt 3 times the reach in cells, more
    // than stepFactor); it dies out by itself once no cell within the reach can change.
    static int64_t depositionRunLength(float reach, float smallestCellSize);

protected:
    static constexpr int neighbourCount = 6;
    // (dx, dy, dz) of the face neighbours, in the order every neighbour loop uses.
    static constexpr int neighbourOffsets[neighbourCount][3] = {
        {0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};

    // Calls initializeCell for every cell of layers first <= x < last in index order.
    virtual void initializeSlice(uint32_t first, uint32_t last, int32_t slice);
    // Evaluates the slice's front into its new front (stepCell per front cell).
    virtual void stepSlice(uint32_t first, uint32_t last, int32_t slice);
    // Calls finalizeCell for every cell of the slice.
    virtual void finalizeSlice(uint32_t first, uint32_t last, int32_t slice);
    // Writes the slice's change records: material and distance vector, never `marked`.
    virtual void applyChanges(int32_t slice);
    // Queues the neighbours whose material may change: into `front` inside the slice,
    // into the hand-over sets one layer beyond it.
    virtual void addNeighboursToFront(uint32_t cell, uint32_t first, uint32_t last, CellFront &front,
                                      int32_t slice);
    virtual void initializeCell(uint32_t cell, int32_t slice) = 0;
    virtual void stepCell(uint32_t cell, uint32_t first, uint32_t last, CellFront &front, int32_t slice) = 0;
    virtual void finalizeCell(uint32_t cell, int32_t slice) = 0;

    // The phases of run(); the variant without finalisation leaves the last one out.
    void runPhases(int64_t steps, bool finalize);
    // True for a process whose initialisation queues cells beyond its slice into the
    // hand-over sets: once every slice is initialised, each takes over those of its
    // neighbour slices whose material is changeable.
    virtual bool handsOverDuringInitialization() const { return false; }

    // The body of stepSlice: under the slice's mutex, empties the hand-over sets and the
    // change list, then calls evaluate(cell, first, last, newFront, slice) for every
    // cell of the front.
    template <class Evaluate>
    void evaluateFront(uint32_t first, uint32_t last, int32_t slice, Evaluate &&evaluate)
    {
        const size_t s = static_cast<size_t>(slice);
        const std::unique_lock<std::mutex> lock = openSlice(s);
        changes[s].clear();
        changes[s].reserve(fronts[s].size());
        CellFront &next = newFronts[s];
        // The front is sparse, so the hardware does not see the reads of the layers
        // beside a cell coming: ask for them a few cells ahead of the evaluation.
        const uint32_t layer = neighbourStep[2];
        const uint32_t cellCount = static_cast<uint32_t>(volume->getCellCount());
        fronts[s].forEachAhead<8>(
            [&](uint32_t cell) {
                prefetchForRead(voxels + cell);
                if (cell >= layer)
                    prefetchForRead(voxels + (cell - layer));
                if (cell + layer < cellCount)
                    prefetchForRead(voxels + (cell + layer));
            },
            [&](uint32_t cell) { evaluate(cell, first, last, next, slice); });
    }

    // Calls f(k, neighbourCell, neighbourX) for each in-volume face neighbour k.
    template <class F>
    void forEachNeighbour(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, F &&f) const
    {
        if (z > 0)
            f(0, cell - neighbourStep[0], x);
        if (z + 1 < sizeZ)
            f(1, cell + neighbourStep[0], x);
        if (y > 0)
            f(2, cell - neighbourStep[1], x);
        if (y + 1 < sizeY)
            f(3, cell + neighbourStep[1], x);
        if (x > 0)
            f(4, cell - neighbourStep[2], x - 1);
        if (x + 1 < sizeX)
            f(5, cell + neighbourStep[2], x + 1);
    }

    // The default addNeighboursToFront for a cell whose coordinates are known.
    void queueNeighbours(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, uint32_t first,
                         uint32_t last, CellFront &front, int32_t slice)
    {
        const size_t s = static_cast<size_t>(slice);
        forEachNeighbour(x, y, z, cell, [&](int, uint32_t n, uint32_t nx) {
            if (isChangeable(voxels[n].getMaterialId()))
                queue(s, first, last, front, n, nx);
        });
    }

    bool isChangeable(uint32_t materialId) const
    {
        for (uint32_t id : changeableMaterials)
            if (id == materialId)
                return true;
        return false;
    }

    void splitIndex(uint32_t cell, uint32_t *x, uint32_t *y, uint32_t *z) const
    {
        volume->coordinates(cell, x, y, z);
    }

    // Offset k times the (possibly rescaled) cell sizes; call after any rescaling.
    void computeNeighbourVectors();
    // Scales the lateral reach by `ratio` (horizontal to vertical): the x and y cell
    // sizes are divided by it, or, for a ratio of 0 or less, made 2 * reach so that no
    // lateral step fits. Recomputes the neighbour vectors.
    void applyLateralRatio(float ratio, float reach);
    void addChangeableMaterial(uint32_t materialId);

    Model::Automaton::TotalVolume *volume;
    std::vector<SliceVector<ChangeRecord>> changes;
    // Sorted and without repeats; holds two ids for every process of this family.
    std::vector<uint32_t> changeableMaterials;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    float cellSizeX;
    float cellSizeY;
    float cellSizeZ;
    float neighbourVectors[neighbourCount][3] = {};
    Model::Automaton::Voxel *voxels = nullptr;
    uint32_t strideY;
    uint32_t strideZ;

private:
    // Index distance to the neighbour one cell further in z, y and x.
    uint32_t neighbourStep[3];
    int64_t stepsRun = 0;
};

} // namespace Operations
} // namespace Core
