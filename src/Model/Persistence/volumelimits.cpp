#include "Model/Persistence/volumelimits.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Automaton/voxel.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#if defined(Q_OS_UNIX) || defined(__unix__)
#include <unistd.h>
#endif

namespace Model {
namespace Persistence {

namespace {

std::atomic<VolumeLimits::MemoryQuery> memoryQuery{nullptr};

} // namespace

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

uint64_t VolumeLimits::memAvailableField(const char *meminfo, size_t length)
{
    static const char key[] = "MemAvailable:";
    const size_t keyLength = sizeof(key) - 1;
    const char *const end = meminfo + length;
    for (const char *line = meminfo; line < end;) {
        const char *next = static_cast<const char *>(std::memchr(line, '\n', size_t(end - line)));
        const char *lineEnd = next ? next : end;
        if (size_t(lineEnd - line) > keyLength && std::memcmp(line, key, keyLength) == 0) {
            const char *p = line + keyLength;
            while (p < lineEnd && (*p == ' ' || *p == '\t'))
                ++p;
            uint64_t kib = 0;
            const char *digits = p;
            for (; p < lineEnd && *p >= '0' && *p <= '9'; ++p) {
                if (kib > (std::numeric_limits<uint64_t>::max() >> 10) / 10)
                    return 0;
                kib = kib * 10 + uint64_t(*p - '0');
            }
            while (p < lineEnd && (*p == ' ' || *p == '\t'))
                ++p;
            // The kernel gives the field in kB (KiB); any other form is not trusted.
            if (p == digits || lineEnd - p < 2 || std::memcmp(p, "kB", 2) != 0)
                return 0;
            return kib << 10;
        }
        line = lineEnd + 1;
    }
    return 0;
}

uint64_t VolumeLimits::systemAvailableMemory()
{
#if defined(__linux__)
    // Read into a fixed buffer: this runs before every volume is allocated, and the
    // field is among the first lines.
    if (std::FILE *file = std::fopen("/proc/meminfo", "r")) {
        char text[4096];
        const size_t length = std::fread(text, 1, sizeof(text), file);
        std::fclose(file);
        if (const uint64_t available = memAvailableField(text, length))
            return available;
    }
#endif
    return physicalMemory();
}

uint64_t VolumeLimits::availableMemory()
{
    const MemoryQuery query = memoryQuery.load();
    return query ? query() : systemAvailableMemory();
}

void VolumeLimits::setMemoryQuery(MemoryQuery query) { memoryQuery.store(query); }

uint64_t VolumeLimits::memoryForCells()
{
    const uint64_t available = availableMemory();
    return available - available / 8;
}

bool VolumeLimits::cellBytesFit(uint64_t bytes)
{
    const uint64_t limit = memoryForCells();
    return limit == 0 || bytes <= limit;
}

bool VolumeLimits::fits(uint64_t sizeX, uint64_t sizeY, uint64_t sizeZ, QString *reason)
{
    const QString size = QStringLiteral("%1 x %2 x %3").arg(sizeX).arg(sizeY).arg(sizeZ);
    if (sizeX == 0 || sizeY == 0 || sizeZ == 0) {
        if (reason)
            *reason = QStringLiteral("A volume of %1 cells has no cells: it needs at least one cell along "
                                     "each axis.")
                          .arg(size);
        return false;
    }
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
    const uint64_t limit = memoryForCells();
    if (limit != 0 && bytes > limit) {
        if (reason)
            *reason = QStringLiteral("A volume of %1 cells needs %2 MiB, more than the %3 MiB of "
                                     "memory this computer can spare for it now.")
                          .arg(size)
                          .arg(bytes >> 20)
                          .arg(limit >> 20);
        return false;
    }
    try {
        Automaton::TotalVolume::checkedCellCount(sizeX, sizeY, sizeZ);
    } catch (const std::exception &) {
        if (reason)
            *reason = QStringLiteral("A volume of %1 cells cannot be held in memory.").arg(size);
        return false;
    }
    return true;
}

bool VolumeLimits::particleFieldFits(uint64_t cellCount, QString *reason)
{
    const uint64_t perCell = Automaton::TotalVolume::particleFieldSlots * sizeof(int32_t);
    if (cellCount > std::numeric_limits<uint64_t>::max() / perCell ||
        cellCount * perCell > std::numeric_limits<size_t>::max()) {
        if (reason)
            *reason = QStringLiteral("The particle counts of %1 cells cannot be held in memory.").arg(cellCount);
        return false;
    }
    const uint64_t bytes = cellCount * perCell;
    const uint64_t limit = memoryForCells();
    if (limit != 0 && bytes > limit) {
        if (reason)
            *reason = QStringLiteral("The particle counts of a volume of %1 cells need %2 MiB, more than the "
                                     "%3 MiB of memory this computer can spare for them now.")
                          .arg(cellCount)
                          .arg(bytes >> 20)
                          .arg(limit >> 20);
        return false;
    }
    return true;
}

} // namespace Persistence
} // namespace Model
