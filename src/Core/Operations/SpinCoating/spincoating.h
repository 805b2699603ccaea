#pragma once

#include "Model/Automaton/totalvolume.h"

#include <cstdint>

namespace Core {
namespace Operations {

// Spin coating ("Pour Material"): every empty cell below the deposition height becomes
// the material, cavities included whether or not they are open to the top. Filled
// cells are left as they are.
class SpinCoating
{
public:
    // A height above the volume is the volume's height.
    SpinCoating(Model::Automaton::TotalVolume *volume, uint32_t material, uint32_t height);

    void run();

    uint32_t getHeight() const { return height; }

private:
    Model::Automaton::TotalVolume *volume;
    uint32_t material;
    uint32_t height;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    Model::Automaton::Voxel *voxels = nullptr;
};

} // namespace Operations
} // namespace Core
