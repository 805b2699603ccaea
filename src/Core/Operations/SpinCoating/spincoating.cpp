#include "Core/Operations/SpinCoating/spincoating.h"

#include "Core/Operations/ColumnPass/columnpass.h"

#include <algorithm>

namespace Core {
namespace Operations {

SpinCoating::SpinCoating(Model::Automaton::TotalVolume *volume, uint32_t material, uint32_t height)
    : volume(volume), material(material), height(std::min(height, volume->getSizeZ())), sizeX(volume->getSizeX()),
      sizeY(volume->getSizeY()), sizeZ(volume->getSizeZ())
{
}

void SpinCoating::run()
{
    if (height == 0 || sizeX == 0 || sizeY == 0)
        return;
    Model::Automaton::VoxelLock lock(*volume);
    voxels = lock.voxels();
    const uint32_t fill = material;
    const uint32_t top = height;
    runColumnPass(*volume, voxels, [fill, top](Model::Automaton::Voxel *cells) {
        for (uint32_t z = 0; z < top; ++z)
            if (cells[z].getMaterialId() == 0)
                cells[z].setMaterialId(fill);
    });
    voxels = nullptr;
}

} // namespace Operations
} // namespace Core
