#pragma once

#include "Model/ModelExtraction/rectangularcuboidenvelope.h"

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
class Voxel;
} // namespace Automaton

namespace ModelExtraction {

// Splits a cell volume into blocks of one material each and links blocks that share a face.
//
// Every face between two cells of different materials puts a cut position on its axis;
// the cut positions of all three axes lay a grid over the whole volume, and every grid
// box whose first cell is not empty becomes a block. Boxes are listed breadth first from
// the box at the origin, taking the next box along +x, then +y, then +z. Since the grid
// is global, two blocks share a face exactly when their boxes are next to each other in
// the grid, so the links are found through the grid in one pass over the blocks.
class BlockDecomposition
{
public:
    // The cut positions along each axis: every coordinate c (0 < c < size) such that
    // some cells at c - 1 and c differ in material; ascending, without repeats.
    struct CutPositions
    {
        std::vector<int32_t> x, y, z;
    };

    // `voxels` holds sizeX * sizeY * sizeZ cells in the volume's index order; the caller
    // holds the volume's voxel lock.
    static CutPositions cutPositions(const Automaton::Voxel *voxels, uint32_t sizeX, uint32_t sizeY,
                                     uint32_t sizeZ);
    static BlockList decompose(const Automaton::Voxel *voxels, uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ);
    // Takes the volume's voxel lock while it reads the cells.
    static BlockList decompose(Automaton::TotalVolume &volume);
};

} // namespace ModelExtraction
} // namespace Model
