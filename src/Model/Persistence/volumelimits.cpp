#include "Model/Persistence/volumelimits.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"

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
    size_t cells = 0;
    try {
        cells = Automaton::TotalVolume::checkedCellCount(sizeX, sizeY, sizeZ);
    } catch (const std::bad_alloc &) {
        if (reason)
            *reason = QStringLiteral("The cell count %1 x %2 x %3 is too large.")
                          .arg(sizeX)
                          .arg(sizeY)
                          .arg(sizeZ);
        return false;
    }
    const uint64_t bytes = static_cast<uint64_t>(cells) * sizeof(Automaton::Voxel);
    const uint64_t memory = physicalMemory();
    if (memory != 0 && bytes > memory) {
        if (reason)
            *reason = QStringLiteral("A volume of %1 x %2 x %3 cells needs %4 MiB, more than the "
                                     "%5 MiB of memory of this computer.")
                          .arg(sizeX)
                          .arg(sizeY)
                          .arg(sizeZ)
                          .arg(bytes >> 20)
                          .arg(memory >> 20);
        return false;
    }
    return true;
}

} // namespace Persistence
} // namespace Model
