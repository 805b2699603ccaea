#include "Core/Operations/Planarization/planarization.h"

#include "Core/Operations/ColumnPass/columnpass.h"

#include <algorithm>

namespace Core {
namespace Operations {

Planarization::Planarization(Model::Automaton::TotalVolume *volume, uint32_t maximumHeight, uint32_t minimumHeight)
    : volume(volume), upperLimit(std::min(maximumHeight, volume->getSizeZ())),
      lowerLimit(std::min(minimumHeight, volume->getSizeZ())), sizeX(volume->getSizeX()), sizeY(volume->getSizeY()),
      sizeZ(volume->getSizeZ())
{
}

void Planarization::run()
{
    if (sizeX == 0 || sizeY == 0 || (lowerLimit == 0 && upperLimit == sizeZ))
        return;
    Model::Automaton::VoxelLock lock(*volume);
    voxels = lock.voxels();
    const uint32_t below = lowerLimit;
    const uint32_t from = upperLimit;
    const uint32_t height = sizeZ;
    runColumnPass(*volume, voxels, [below, from, height](Model::Automaton::Voxel *cells) {
        // Writing only cells that are filled leaves the (usually empty) space above the
        // structure clean in the cache: it is read, never written back.
        for (uint32_t z = 0; z < below; ++z)
            if (cells[z].getMaterialId() != 0)
                cells[z].setMaterialId(0);
        for (uint32_t z = from; z < height; ++z)
            if (cells[z].getMaterialId() != 0)
                cells[z].setMaterialId(0);
    });
    voxels = nullptr;
}

} // namespace Operations
} // namespace Core
