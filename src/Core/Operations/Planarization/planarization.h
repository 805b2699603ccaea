#pragma once

#include "Model/Automaton/totalvolume.h"

#include <cstdint>

namespace Core {
namespace Operations {

// Planarization: empties every cell below the lower limit and every cell at or above
// the upper limit, in every column. A lower limit above the upper one empties the
// whole column.
class Planarization
{
public:
    // Heights above the volume are the volume's height.
    Planarization(Model::Automaton::TotalVolume *volume, uint32_t maximumHeight, uint32_t minimumHeight);

    void run();

    uint32_t getUpperLimit() const { return upperLimit; }
    uint32_t getLowerLimit() const { return lowerLimit; }

private:
    Model::Automaton::TotalVolume *volume;
    uint32_t upperLimit;
    uint32_t lowerLimit;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    Model::Automaton::Voxel *voxels = nullptr;
};

} // namespace Operations
} // namespace Core
