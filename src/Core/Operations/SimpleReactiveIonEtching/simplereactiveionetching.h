#pragma once

#include "Core/Operations/SimpleReactiveIonEtching/etchdirections.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// Vertical reactive-ion etching: removes up to `iterations` cells of one material in
// every column, downwards from each face exposed at the top and/or upwards from each
// face exposed at the bottom; any other material stops it. Lateral neighbours play no
// part. Columns never exchange cells, so the volume is cut into slices of x layers that
// are etched in parallel, column by column.
class SimpleReactiveIonEtching
{
public:
    // A depth that is not a number or below 0 etches nothing; it is truncated to whole cells.
    SimpleReactiveIonEtching(Model::Automaton::TotalVolume *volume, uint32_t etchedMaterial, double depth,
                             EtchDirections directions);

    void run();

    int32_t getIterations() const { return iterations; }
    int32_t getSliceCount() const { return slabs.count(); }
    uint32_t sliceFirst(int32_t slice) const { return slabs.first(slice); }
    uint32_t sliceLast(int32_t slice) const { return slabs.last(slice); }

private:
    // Seeds the fronts of one column (its bottom cell at `cells`) and runs its steps.
    void etchColumn(int32_t slice, Model::Automaton::Voxel *cells);

    Model::Automaton::TotalVolume *volume;
    uint32_t etchedMaterial;
    int32_t iterations;
    EtchDirections directions;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    Model::Automaton::Voxel *voxels = nullptr;
    size_t strideX;
    size_t strideY;
    Model::Automaton::Slabs slabs;
    // Per slice, the heights z of the cells of the column being etched, ascending. The
    // lists are reused by every column and step, so nothing is allocated once they have
    // reached their size. Each slice's lists sit on their own cache line: the slices'
    // threads update them all the time.
    struct alignas(64) SliceLists
    {
        std::vector<uint32_t> front;
        std::vector<uint32_t> removals;
        std::vector<uint32_t> next;
    };
    std::vector<SliceLists> slices;
};

} // namespace Operations
} // namespace Core
