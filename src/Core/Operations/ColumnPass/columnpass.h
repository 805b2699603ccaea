#pragma once

#include "Core/Operations/DistanceCounting/slicetasks.h"
#include "Model/Automaton/totalvolume.h"

#include <cstdint>

namespace Core {
namespace Operations {

// Runs column(cells) once for every column of a locked volume, `cells` pointing at the
// column's bottom cell (z = 0) with z increasing along the array. The x layers are shared
// out in `sliceCount` slices of sizeX / sliceCount layers, the last one ending at sizeX,
// one pool task each; slices thinner than 3 layers are not worth a task, and then the
// calling thread sweeps the whole volume.
template <class Column>
void runColumnPass(const Model::Automaton::TotalVolume &volume, Model::Automaton::Voxel *voxels, int32_t sliceCount,
                   const Column &column)
{
    const uint32_t sizeX = volume.getSizeX();
    const uint32_t sizeY = volume.getSizeY();
    const uint32_t slices = sliceCount < 1 ? 1u : static_cast<uint32_t>(sliceCount);
    const uint32_t layers = sizeX / slices;
    const auto sweep = [&](uint32_t first, uint32_t last) {
        for (uint32_t x = first; x < last; ++x)
            for (uint32_t y = 0; y < sizeY; ++y)
                column(voxels + volume.index(x, y, 0));
    };
    if (layers < 3) {
        sweep(0, sizeX);
        return;
    }
    runSliceTasks(static_cast<int32_t>(slices), [&](int32_t slice) {
        const uint32_t first = static_cast<uint32_t>(slice) * layers;
        sweep(first, static_cast<uint32_t>(slice) + 1 == slices ? sizeX : first + layers);
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
