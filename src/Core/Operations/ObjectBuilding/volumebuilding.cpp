#include "Core/Operations/ObjectBuilding/volumebuilding.h"

#include "Core/Operations/ColumnPass/columnpass.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"

#include <QThreadPool>
#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::Slabs;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;
using Model::Automaton::VoxelLock;

GlueContents measureGlueContents(TotalVolume &base, TotalVolume &top)
{
    GlueContents contents;
    contents.baseTop = std::max(filledHeight(base), 1u);
    {
        VoxelLock cells(top);
        const uint32_t sizeZ = top.getSizeZ();
        const size_t columns = static_cast<size_t>(top.getSizeX()) * top.getSizeY();
        uint32_t low = sizeZ;
        uint32_t high = 0;
        for (size_t c = 0; c < columns; ++c) {
            const Voxel *column = cells.voxels() + c * sizeZ;
            for (uint32_t z = 0; z < low; ++z) {
                if (column[z].getMaterialId() != 0) {
                    low = z;
                    break;
                }
            }
            for (uint32_t z = sizeZ; z-- > high;) {
                if (column[z].getMaterialId() != 0) {
                    high = z + 1;
                    break;
                }
            }
        }
        // An empty top has no content range; it adds no layers.
        contents.topLow = low < high ? low : 0;
        contents.topHigh = low < high ? high : 0;
    }
    return contents;
}

std::vector<uint32_t> glueMaterials(TotalVolume &base, TotalVolume &top, const GlueContents &contents,
                                    const GlueLayout &layout)
{
    std::vector<uint32_t> ids(TotalVolume::checkedCellCount(layout.finalX, layout.finalY, layout.finalZ), 0u);
    if (ids.empty())
        return ids;
    const int64_t finalX = layout.finalX;
    const int64_t finalY = layout.finalY;
    const int64_t finalZ = layout.finalZ;
    auto at = [&](int64_t x, int64_t y, int64_t z) { return static_cast<size_t>((x * finalY + y) * finalZ + z); };

    VoxelLock baseCells(base);
    VoxelLock topCells(top);
    const uint32_t baseX = base.getSizeX(), baseY = base.getSizeY(), baseZ = base.getSizeZ();
    const uint32_t topX = top.getSizeX(), topY = top.getSizeY(), topZ = top.getSizeZ();
    const int64_t baseTop = std::min<int64_t>({contents.baseTop, baseZ, finalZ});
    const int64_t topLow = contents.topLow;
    const int64_t topHigh = std::min<int64_t>(contents.topHigh, topZ);

    auto copyBase = [&](int64_t x0, int64_t x1) {
        for (int64_t x = x0; x < std::min<int64_t>(x1, finalX); ++x)
            for (int64_t y = 0; y < std::min<int64_t>(baseY, finalY); ++y) {
                const Voxel *column = baseCells.voxels() + base.index(uint32_t(x), uint32_t(y), 0);
                uint32_t *out = ids.data() + at(x, y, 0);
                for (int64_t z = 0; z < baseTop; ++z)
                    out[z] = column[z].getMaterialId();
            }
    };
    auto copyTop = [&](int64_t x0, int64_t x1) {
        for (int64_t x = x0; x < x1; ++x) {
            const int64_t dx = layout.flip ? layout.shiftX + int64_t(topX) - 1 - x : x + layout.shiftX;
            if (dx < 0 || dx >= finalX)
                continue;
            for (int64_t y = 0; y < topY; ++y) {
                const int64_t dy = y + layout.shiftY;
                if (dy < 0 || dy >= finalY)
                    continue;
                const Voxel *column = topCells.voxels() + top.index(uint32_t(x), uint32_t(y), 0);
                uint32_t *out = ids.data() + at(dx, dy, 0);
                for (int64_t z = topLow; z < topHigh; ++z) {
                    const int64_t dz = layout.flip ? contents.baseTop + topHigh - 1 - z : contents.baseTop + z - topLow;
                    if (dz < finalZ)
                        out[dz] = column[z].getMaterialId();
                }
            }
        }
    };

    // Base cells land below baseTop and top cells at baseTop or above, so slabs never
    // write the same entry. Task i copies slab i of each volume; both are split only when
    // both give slabs of at least 2 layers.
    const int threads = QThreadPool::globalInstance()->maxThreadCount();
    const bool split = Slabs(baseX, threads, 2).count() > 1 && Slabs(topX, threads, 2).count() > 1;
    const Slabs baseSlabs(baseX, split ? threads : 1);
    const Slabs topSlabs(topX, split ? threads : 1);
    Slabs::runTasks(baseSlabs.count(), [&](int32_t s) {
        copyBase(baseSlabs.first(s), baseSlabs.last(s));
        copyTop(topSlabs.first(s), topSlabs.last(s));
    });
    return ids;
}

std::vector<uint32_t> extractFilmMaterials(TotalVolume &source, uint32_t materialId, bool flip)
{
    const size_t count = source.getCellCount();
    std::vector<uint32_t> ids(count, 0u);
    if (materialId == 0 || count == 0)
        return ids;
    const uint32_t sizeX = source.getSizeX(), sizeY = source.getSizeY(), sizeZ = source.getSizeZ();
    const size_t layer = static_cast<size_t>(sizeY) * sizeZ;

    VoxelLock cells(source);
    size_t seed = 0;
    while (seed < count && cells[seed].getMaterialId() != materialId)
        ++seed;
    if (seed == count)
        return ids;

    // Breadth first over face neighbours, a vertical run of the material at a time: a
    // run is taken whole from the cell that reaches it, and the runs of the four
    // neighbouring columns beside it are queued once each. Runs keep the work on
    // contiguous cells; the body found is the same as cell by cell.
    std::vector<uint8_t> reached(count, 0);
    std::vector<size_t> queue;
    queue.push_back(seed);
    uint32_t lowest = sizeZ;
    uint32_t highest = 0;
    auto matches = [&](size_t n) { return !reached[n] && cells[n].getMaterialId() == materialId; };
    for (size_t head = 0; head < queue.size(); ++head) {
        const size_t i = queue[head];
        if (reached[i])
            continue;
        uint32_t x, y, z;
        source.coordinates(i, &x, &y, &z);
        const size_t column = i - z;
        uint32_t z0 = z;
        uint32_t z1 = z;
        while (z0 > 0 && matches(column + z0 - 1))
            --z0;
        while (z1 + 1 < sizeZ && matches(column + z1 + 1))
            ++z1;
        const uint32_t ty = flip ? sizeY - 1 - y : y;
        uint32_t *out = ids.data() + source.index(x, ty, 0);
        for (uint32_t c = z0; c <= z1; ++c) {
            reached[column + c] = 1;
            out[flip ? sizeZ - 1 - c : c] = materialId;
        }
        lowest = std::min(lowest, flip ? sizeZ - 1 - z1 : z0);
        highest = std::max(highest, flip ? sizeZ - 1 - z0 : z1);

        auto besides = [&](bool inside, size_t other) {
            if (!inside)
                return;
            // One queue entry per run of the material beside [z0, z1].
            bool inRun = false;
            for (uint32_t c = z0; c <= z1; ++c) {
                const bool m = matches(other + c);
                if (m && !inRun)
                    queue.push_back(other + c);
                inRun = m;
            }
        };
        besides(x > 0, column - layer);
        besides(x + 1 < sizeX, column + layer);
        besides(y > 0, column - sizeZ);
        besides(y + 1 < sizeY, column + sizeZ);
    }

    if (lowest > 0) {
        for (size_t column = 0; column < count; column += sizeZ) {
            uint32_t *c = ids.data() + column;
            for (uint32_t z = lowest; z <= highest; ++z) {
                c[z - lowest] = c[z];
                c[z] = 0;
            }
        }
    }
    return ids;
}

} // namespace Operations
} // namespace Core
