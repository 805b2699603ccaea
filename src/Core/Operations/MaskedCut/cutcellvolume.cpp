#include "Core/Operations/MaskedCut/cutcellvolume.h"

namespace Core {
namespace Operations {

CutCellVolume::CutCellVolume(Model::Automaton::TotalVolume *volume, const Mask &mask)
    : volume(volume), sizeX(volume->getSizeX()), sizeY(volume->getSizeY()), sizeZ(volume->getSizeZ()),
      columns(mask.columnGrid(sizeX, sizeY, false, false)), slabs(Model::Automaton::Slabs::forPool(sizeX, 2))
{
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
    slabs.run([this, sz, &operation](int32_t slice) {
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
