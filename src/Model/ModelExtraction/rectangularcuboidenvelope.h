#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace Model {
namespace ModelExtraction {

// A block of cells of one material, in cell coordinates, with the blocks touching each of
// its faces: 0 = -x, 1 = +x, 2 = -y, 3 = +y, 4 = below (-z), 5 = above (+z).
class RectangularCuboidEnvelope
{
public:
    RectangularCuboidEnvelope(int32_t x, int32_t y, int32_t z, int32_t sizeX, int32_t sizeY, int32_t sizeZ,
                              uint32_t material)
        : x(x), y(y), z(z), sizeX(sizeX), sizeY(sizeY), sizeZ(sizeZ), material(material)
    {
    }

    // Stores the block at `face` (not owned) and keeps the neighbour count in step.
    void setNeighbour(int face, RectangularCuboidEnvelope *block)
    {
        if (!neighbours[face] && block)
            ++neighbourCount;
        else if (neighbours[face] && !block)
            --neighbourCount;
        neighbours[face] = block;
    }
    RectangularCuboidEnvelope *neighbour(int face) const { return neighbours[face]; }
    int32_t getNeighbourCount() const { return neighbourCount; }

    int32_t x, y, z;
    int32_t sizeX, sizeY, sizeZ;
    uint32_t material;

private:
    std::array<RectangularCuboidEnvelope *, 6> neighbours{};
    int32_t neighbourCount = 0;
};

using BlockPtr = std::shared_ptr<RectangularCuboidEnvelope>;
using BlockList = std::vector<BlockPtr>;

} // namespace ModelExtraction
} // namespace Model
