#pragma once

#include "Model/Automaton/voxel.h"

#include <cstddef>

namespace Model {
namespace Automaton {

// The cell array of a volume: `count` voxels in their default (all-zero) state.
//
// Large arrays are mapped directly and asked for 2 MiB pages: a volume is filled right
// after it is made, and with 4 KiB pages the first write to each page costs a page
// fault, 50 000 of them for the 8.4 M cells of a 256 x 256 x 128 volume. That took most
// of the time of opening such a document. Small arrays come from new[].
class VoxelArray
{
public:
    VoxelArray() = default;
    // Throws std::bad_alloc when the memory cannot be had.
    explicit VoxelArray(size_t count);
    ~VoxelArray();
    VoxelArray(VoxelArray &&other) noexcept;
    VoxelArray &operator=(VoxelArray &&other) noexcept;
    VoxelArray(const VoxelArray &) = delete;
    VoxelArray &operator=(const VoxelArray &) = delete;

    Voxel *get() const { return cells; }

private:
    void release() noexcept;

    Voxel *cells = nullptr;
    void *mapping = nullptr; // start of the mapped block, null for new[]
    size_t mappedBytes = 0;
};

} // namespace Automaton
} // namespace Model
