#include "Model/Automaton/voxelarray.h"

#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace Model {
namespace Automaton {

// Mapped memory arrives zero-filled, and zero bytes are a default voxel (material 0, no
// cuts, no count, distance 0, not marked): the cells need no constructor pass, which
// would touch every page once more.
static_assert(std::is_trivially_copyable<Voxel>::value && std::is_trivially_destructible<Voxel>::value,
              "mapped cells are used without running constructors or destructors");

namespace {

#if defined(__linux__)
constexpr size_t hugePage = size_t(2) << 20;
// Below this the page faults do not matter and the rounding to whole 2 MiB pages would.
constexpr size_t mapThreshold = size_t(8) << 20;
#endif

} // namespace

VoxelArray::VoxelArray(size_t count)
{
    if (count > SIZE_MAX / sizeof(Voxel))
        throw std::bad_alloc();
    const size_t bytes = count * sizeof(Voxel);
#if defined(__linux__)
    if (bytes >= mapThreshold) {
        // One extra huge page of room so the cells can start on a 2 MiB boundary (older
        // kernels do not align large mappings themselves); the slack is unmapped again.
        const size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
        const size_t reserved = rounded + hugePage;
        void *block = mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            throw std::bad_alloc();
        const uintptr_t start = reinterpret_cast<uintptr_t>(block);
        const uintptr_t aligned = (start + hugePage - 1) / hugePage * hugePage;
        if (aligned > start)
            munmap(block, aligned - start);
        const uintptr_t tail = aligned + rounded;
        if (start + reserved > tail)
            munmap(reinterpret_cast<void *>(tail), start + reserved - tail);
        mapping = reinterpret_cast<void *>(aligned);
        mappedBytes = rounded;
#if defined(MADV_HUGEPAGE)
        // Only advice: without huge pages the cells still work, with more page faults.
        madvise(mapping, mappedBytes, MADV_HUGEPAGE);
#endif
        cells = static_cast<Voxel *>(mapping);
        return;
    }
#endif
    cells = new Voxel[count];
}

VoxelArray::~VoxelArray() { release(); }

VoxelArray::VoxelArray(VoxelArray &&other) noexcept
    : cells(std::exchange(other.cells, nullptr)), mapping(std::exchange(other.mapping, nullptr)),
      mappedBytes(std::exchange(other.mappedBytes, 0))
{
}

VoxelArray &VoxelArray::operator=(VoxelArray &&other) noexcept
{
    if (this != &other) {
        release();
        cells = std::exchange(other.cells, nullptr);
        mapping = std::exchange(other.mapping, nullptr);
        mappedBytes = std::exchange(other.mappedBytes, 0);
    }
    return *this;
}

void VoxelArray::release() noexcept
{
#if defined(__linux__)
    if (mapping) {
        munmap(mapping, mappedBytes);
        mapping = nullptr;
        mappedBytes = 0;
        cells = nullptr;
        return;
    }
#endif
    delete[] cells;
    cells = nullptr;
}

} // namespace Automaton
} // namespace Model
