#pragma once

#include <QString>
#include <cstdint>

namespace Model {
namespace Persistence {

// Sizes read from files are checked here before any cells are allocated: a volume is
// accepted only when its cell count does not overflow and its cells fit in the
// machine's physical memory (an allocation larger than that would either fail or,
// with memory overcommit, be killed while the cells are being cleared).
class VolumeLimits
{
public:
    // True when a sizeX x sizeY x sizeZ volume can be held; otherwise *reason (if given)
    // says why.
    static bool fits(uint64_t sizeX, uint64_t sizeY, uint64_t sizeZ, QString *reason = nullptr);
    // Installed physical memory in bytes; 0 when the platform does not tell.
    static uint64_t physicalMemory();
};

} // namespace Persistence
} // namespace Model
