#pragma once

#include "Model/Automaton/totalvolume.h"

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// Vertical reactive-ion etching: removes up to `iterations` cells of one material in
// every column, downwards from each face exposed at the top and/or upwards from each
// face exposed at the bottom; any other material stops it. Lateral neighbours play no
// part. Columns never exchange cells, so the volume is cut into slices of x layers that
// advance their own fronts in parallel, one step at a time.
class SimpleReactiveIonEtching
{
public:
    enum Direction : uint8_t { FromTop = 1, FromBelow = 2 };

    // A depth that is not a number or below 0 etches nothing; it is truncated to whole cells.
    SimpleReactiveIonEtching(Model::Automaton::TotalVolume *volume, uint32_t etchedMaterial, double depth,
                             uint8_t directions);

    void run();

    int32_t getIterations() const { return iterations; }
    int32_t getSliceCount() const { return sliceCount; }
    uint32_t sliceFirst(int32_t slice) const;
    uint32_t sliceLast(int32_t slice) const;

private:
    void seed(int32_t slice);
    // One step of one slice; false when its front is empty afterwards.
    bool advance(int32_t slice);

    Model::Automaton::TotalVolume *volume;
    uint32_t etchedMaterial;
    int32_t iterations;
    uint8_t directions;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    Model::Automaton::Voxel *voxels = nullptr;
    size_t strideX;
    size_t strideY;
    int32_t sliceCount;
    // Per slice, in ascending cell index order; the spare lists are reused by every step
    // so the steps allocate nothing once the fronts have reached their size.
    std::vector<std::vector<size_t>> fronts;
    std::vector<std::vector<size_t>> removals;
    std::vector<std::vector<size_t>> nextFronts;
};

} // namespace Operations
} // namespace Core
