#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace Model {
namespace Persistence {

// Sizes read from files or typed in are checked here before any cells are allocated: a
// volume is accepted only when its cell count does not overflow and its cells fit in the
// memory the machine can spare now. The cells are committed as soon as they are
// allocated, so with memory overcommit a volume larger than that would not fail cleanly:
// the process would be killed while the cells are filled.
class VolumeLimits
{
public:
    // True when a sizeX x sizeY x sizeZ volume can be held: at least one cell along each
    // axis, a cell count that does not overflow, cells that fit in memory. Otherwise
    // *reason (if given) says why.
    static bool fits(uint64_t sizeX, uint64_t sizeY, uint64_t sizeZ, QString *reason = nullptr);

    // True when the particle-count field of a volume of `cellCount` cells can be held now,
    // by the same measure as the cells; otherwise *reason (if given) says why.
    static bool particleFieldFits(uint64_t cellCount, QString *reason = nullptr);

    // True when `bytes` of cells may be allocated now: they may take at most seven eighths
    // of the available memory, the rest being left for the surfaces, the document text
    // and undo records. Always true when the memory cannot be learnt.
    static bool cellBytesFit(uint64_t bytes);
    // The part of the available memory that cells may take; 0 when unknown.
    static uint64_t memoryForCells();

    // Memory that can be allocated without swapping or the out-of-memory killer, in bytes:
    // the test hook's answer when one is set, otherwise the system's. 0 when unknown.
    static uint64_t availableMemory();
    // The system's answer: MemAvailable of /proc/meminfo where there is one, otherwise the
    // installed physical memory.
    static uint64_t systemAvailableMemory();
    // Installed physical memory in bytes; 0 when the platform does not tell.
    static uint64_t physicalMemory();
    // The "MemAvailable:" field of a /proc/meminfo text in bytes; 0 when absent or unreadable.
    static uint64_t memAvailableField(const char *meminfo, size_t length);

    // Replaces the memory query (tests); nullptr restores the system's.
    using MemoryQuery = uint64_t (*)();
    static void setMemoryQuery(MemoryQuery query);
};

} // namespace Persistence
} // namespace Model
