#include "Model/ModelExtraction/blockdecomposition.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"

#include <deque>

namespace Model {
namespace ModelExtraction {

namespace {

std::vector<int32_t> positionsOf(const std::vector<uint8_t> &isCut)
{
    std::vector<int32_t> positions;
    for (size_t c = 1; c < isCut.size(); ++c)
        if (isCut[c])
            positions.push_back(static_cast<int32_t>(c));
    return positions;
}

// The first coordinate of each grid box along one axis, followed by the axis size.
std::vector<int32_t> boxBounds(const std::vector<int32_t> &cuts, uint32_t size)
{
    std::vector<int32_t> bounds;
    bounds.reserve(cuts.size() + 2);
    bounds.push_back(0);
    bounds.insert(bounds.end(), cuts.begin(), cuts.end());
    bounds.push_back(static_cast<int32_t>(size));
    return bounds;
}

} // namespace

BlockDecomposition::CutPositions BlockDecomposition::cutPositions(const Automaton::Voxel *voxels, uint32_t sizeX,
                                                                  uint32_t sizeY, uint32_t sizeZ)
{
    // isCutX[c] tells whether layers c - 1 and c differ somewhere; likewise for y and z.
    std::vector<uint8_t> isCutX(sizeX, 0), isCutY(sizeY, 0), isCutZ(sizeZ, 0);
    const size_t layer = static_cast<size_t>(sizeY) * sizeZ;
    for (uint32_t x = 0; x < sizeX; ++x) {
        const Automaton::Voxel *here = voxels + x * layer;
        // Along x: one difference decides the whole layer pair.
        if (x + 1 < sizeX) {
            const Automaton::Voxel *next = here + layer;
            for (size_t i = 0; i < layer; ++i) {
                if (here[i].getMaterialId() != next[i].getMaterialId()) {
                    isCutX[x + 1] = 1;
                    break;
                }
            }
        }
        for (uint32_t y = 0; y < sizeY; ++y) {
            const Automaton::Voxel *column = here + static_cast<size_t>(y) * sizeZ;
            if (y + 1 < sizeY && !isCutY[y + 1]) {
                const Automaton::Voxel *nextColumn = column + sizeZ;
                for (uint32_t z = 0; z < sizeZ; ++z) {
                    if (column[z].getMaterialId() != nextColumn[z].getMaterialId()) {
                        isCutY[y + 1] = 1;
                        break;
                    }
                }
            }
            for (uint32_t z = 1; z < sizeZ; ++z)
                isCutZ[z] |= static_cast<uint8_t>(column[z - 1].getMaterialId() != column[z].getMaterialId());
        }
    }
    return {positionsOf(isCutX), positionsOf(isCutY), positionsOf(isCutZ)};
}

BlockList BlockDecomposition::decompose(const Automaton::Voxel *voxels, uint32_t sizeX, uint32_t sizeY,
                                        uint32_t sizeZ)
{
    BlockList blocks;
    if (sizeX == 0 || sizeY == 0 || sizeZ == 0)
        return blocks;
    const CutPositions cuts = cutPositions(voxels, sizeX, sizeY, sizeZ);
    const std::vector<int32_t> bx = boxBounds(cuts.x, sizeX), by = boxBounds(cuts.y, sizeY),
                               bz = boxBounds(cuts.z, sizeZ);
    const size_t nx = bx.size() - 1, ny = by.size() - 1, nz = bz.size() - 1;
    auto boxIndex = [&](size_t i, size_t j, size_t k) { return (i * ny + j) * nz + k; };

    // Breadth first over the grid boxes; blockAt maps a box to its block, or -1 when empty
    // or not reached yet.
    constexpr int32_t none = -1;
    std::vector<int32_t> blockAt(nx * ny * nz, none);
    std::vector<uint8_t> visited(nx * ny * nz, 0);
    std::vector<size_t> boxOfBlock;
    std::deque<size_t> queue{0};
    visited[0] = 1;
    while (!queue.empty()) {
        const size_t box = queue.front();
        queue.pop_front();
        const size_t k = box % nz, j = (box / nz) % ny, i = box / (nz * ny);
        if (i + 1 < nx && !visited[boxIndex(i + 1, j, k)]) {
            visited[boxIndex(i + 1, j, k)] = 1;
            queue.push_back(boxIndex(i + 1, j, k));
        }
        if (j + 1 < ny && !visited[boxIndex(i, j + 1, k)]) {
            visited[boxIndex(i, j + 1, k)] = 1;
            queue.push_back(boxIndex(i, j + 1, k));
        }
        if (k + 1 < nz && !visited[boxIndex(i, j, k + 1)]) {
            visited[boxIndex(i, j, k + 1)] = 1;
            queue.push_back(boxIndex(i, j, k + 1));
        }
        const int32_t x0 = bx[i], y0 = by[j], z0 = bz[k];
        const uint32_t material =
            voxels[(static_cast<size_t>(x0) * sizeY + static_cast<size_t>(y0)) * sizeZ + static_cast<size_t>(z0)]
                .getMaterialId();
        if (material == 0)
            continue;
        blockAt[box] = static_cast<int32_t>(blocks.size());
        boxOfBlock.push_back(box);
        blocks.push_back(std::make_shared<RectangularCuboidEnvelope>(x0, y0, z0, bx[i + 1] - x0, by[j + 1] - y0,
                                                                     bz[k + 1] - z0, material));
    }

    // Each block meets its +x, +y and +z grid neighbours face to face; linking those both
    // ways links every shared face once.
    for (size_t b = 0; b < blocks.size(); ++b) {
        const size_t box = boxOfBlock[b];
        const size_t k = box % nz, j = (box / nz) % ny, i = box / (nz * ny);
        RectangularCuboidEnvelope *block = blocks[b].get();
        auto link = [&](size_t other, int face) {
            if (blockAt[other] == none)
                return;
            RectangularCuboidEnvelope *neighbour = blocks[static_cast<size_t>(blockAt[other])].get();
            block->setNeighbour(face + 1, neighbour);
            neighbour->setNeighbour(face, block);
        };
        if (i + 1 < nx)
            link(boxIndex(i + 1, j, k), 0);
        if (j + 1 < ny)
            link(boxIndex(i, j + 1, k), 2);
        if (k + 1 < nz)
            link(boxIndex(i, j, k + 1), 4);
    }
    return blocks;
}

BlockList BlockDecomposition::decompose(Automaton::TotalVolume &volume)
{
    Automaton::VoxelLock lock(volume);
    return decompose(lock.voxels(), volume.getSizeX(), volume.getSizeY(), volume.getSizeZ());
}

} // namespace ModelExtraction
} // namespace Model
