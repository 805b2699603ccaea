#include "Model/Persistence/volumelimits.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"

#include <limits>
#include <new>

#if defined(Q_OS_UNIX) || defined(__unix__)
#include <unistd.h>
#endif

namespace Model {
namespace Persistence {

uint64_t VolumeLimits::physicalMemory()
{
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
#endif
    return 0;
}

bool VolumeLimits::fits(uint64_t sizeX, uint64_t sizeY, uint64_t sizeZ, QString *reason)
{
    const QString size = QStringLiteral("%1 x %2 x %3").arg(sizeX).arg(sizeY).arg(sizeZ);
    // Worded first, so that the user learns whether the count or the memory is the limit;
    // the volume's own check then decides.
    const uint64_t xy = sizeX * sizeY; // both are 32-bit values
    const bool overflows = (sizeZ != 0 && xy > std::numeric_limits<uint64_t>::max() / sizeZ) ||
                           xy * sizeZ > std::numeric_limits<uint64_t>::max() / sizeof(Automaton::Voxel);
    if (overflows) {
        if (reason)
            *reason = QStringLiteral("The cell count %1 is too large.").arg(size);
        return false;
    }
    const uint64_t bytes = xy * sizeZ * sizeof(Automaton::Voxel);
    const uint64_t memory = physicalMemory();
    if (memory != 0 && bytes > memory) {
        if (reason)
            *reason = QStringLiteral("A volume of %1 cells needs %2 MiB, more than the %3 MiB of "
                                     "memory of this computer.")
                          .arg(size)
                          .arg(bytes >> 20)
                          .arg(memory >> 20);
        return false;
    }
    try {
        Automaton::TotalVolume::checkedCellCount(sizeX, sizeY, sizeZ);
    } catch (const std::bad_alloc &) {
        if (reason)
            *reason = QStringLiteral("A volume of %1 cells cannot be held in memory.").arg(size);
        return false;
    }
    return true;
}

} // namespace Persistence
} // namespace Model
