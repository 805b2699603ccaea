#pragma once

#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"

#include <cstdint>

namespace Core {
namespace Operations {

// Runs column(cells) once for every column of a locked volume, `cells` pointing at the
// column's bottom cell (z = 0) with z increasing along the array. The x layers are split
// into slabs for the pool (Slabs); slabs thinner than 3 layers are not worth a task, and
// then the calling thread sweeps the whole volume.
template <class Column>
void runColumnPass(const Model::Automaton::TotalVolume &volume, Model::Automaton::Voxel *voxels, const Column &column)
{
    const uint32_t sizeY = volume.getSizeY();
    const Model::Automaton::Slabs slabs = Model::Automaton::Slabs::forPool(volume.getSizeX(), 3);
    slabs.run([&](int32_t slab) {
        for (uint32_t x = slabs.first(slab); x < slabs.last(slab); ++x)
            for (uint32_t y = 0; y < sizeY; ++y)
                column(voxels + volume.index(x, y, 0));
    });
}

// The height, in cells, of what a volume holds: 1 + the z of its highest filled cell,
// 0 when every cell is empty. Takes the voxel lock.
inline uint32_t filledHeight(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::VoxelLock cells(volume);
    const uint32_t sizeZ = volume.getSizeZ();
    const size_t columns = static_cast<size_t>(volume.getSizeX()) * volume.getSizeY();
    uint32_t height = 0;
    for (size_t c = 0; c < columns && height < sizeZ; ++c) {
        const Model::Automaton::Voxel *column = cells.voxels() + c * sizeZ;
        // Only cells above the height found so far can raise it.
        for (uint32_t z = sizeZ; z-- > height;) {
            if (column[z].getMaterialId() != 0) {
                height = z + 1;
                break;
            }
        }
    }
    return height;
}

} // namespace Operations
} // namespace Core
