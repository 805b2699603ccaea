#include "Core/Operations/MaskedCut/cutcellvolume.h"

#include "Core/Operations/DistanceCounting/slicetasks.h"

#include <QThreadPool>

namespace Core {
namespace Operations {

CutCellVolume::CutCellVolume(Model::Automaton::TotalVolume *volume, const Mask &mask)
    : volume(volume), sizeX(volume->getSizeX()), sizeY(volume->getSizeY()), sizeZ(volume->getSizeZ()),
      columns(mask.columnGrid(sizeX, sizeY, false, false))
{
    const int32_t threads = QThreadPool::globalInstance()->maxThreadCount();
    sliceCount = threads < 1 || sizeX < static_cast<uint32_t>(threads) ? 1 : threads;
    const uint32_t t = static_cast<uint32_t>(sliceCount);
    const uint32_t s = sizeX / t;
    if (s < 2) {
        bounds = {0, sizeX};
    } else {
        // The first sizeX mod t slices take one layer more.
        const uint32_t longer = sizeX % t;
        uint32_t first = 0;
        for (uint32_t i = 0; i < t; ++i) {
            const uint32_t last = first + s + (i < longer ? 1 : 0);
            bounds.push_back(first);
            bounds.push_back(last);
            first = last;
        }
    }
}

void CutCellVolume::cut()
{
    apply([](Model::Automaton::Voxel &cell) { cell.addCut(); });
}

void CutCellVolume::uncut()
{
    apply([](Model::Automaton::Voxel &cell) { cell.removeCut(); });
}

void CutCellVolume::uncutAll()
{
    apply([](Model::Automaton::Voxel &cell) { cell.clearCuts(); });
}

template <class CellOperation>
void CutCellVolume::apply(CellOperation operation)
{
    Model::Automaton::VoxelLock lock(*volume);
    voxels = lock.voxels();
    struct Forget
    {
        Model::Automaton::Voxel *&voxels;
        ~Forget() { voxels = nullptr; }
    } forget{voxels};
    const size_t sz = sizeZ;
    runSliceTasks(getSliceCount(), [this, sz, &operation](int32_t slice) {
        for (uint32_t x = sliceFirst(slice); x < sliceLast(slice); ++x)
            for (uint32_t y = 0; y < sizeY; ++y) {
                const size_t column = static_cast<size_t>(x) * sizeY + y;
                if (columns[column])
                    continue;
                Model::Automaton::Voxel *cells = voxels + column * sz;
                for (size_t z = 0; z < sz; ++z)
                    operation(cells[z]);
            }
    });
}

} // namespace Operations
} // namespace Core
