#include "Core/Operations/Photolithography/photolithography.h"


namespace Core {
namespace Operations {

namespace {

constexpr uint32_t negativeResist = 12;

} // namespace

Photolithography::Photolithography(Model::Automaton::TotalVolume *volume, uint32_t resistMaterial,
                                   const Mask &bottomMask, const Mask &topMask)
    : volume(volume), resistMaterial(resistMaterial), sizeX(volume->getSizeX()), sizeY(volume->getSizeY()),
      sizeZ(volume->getSizeZ()),
      slabs(Model::Automaton::Slabs::forPool(sizeX, 2))
{
    const bool inverted = resistMaterial == negativeResist;
    bottomColumns = bottomMask.columnGrid(sizeX, sizeY, inverted, inverted);
    topColumns = topMask.columnGrid(sizeX, sizeY, inverted, inverted);
}

void Photolithography::run()
{
    // Emptying empty cells changes nothing.
    if (resistMaterial == 0)
        return;
    Model::Automaton::VoxelLock lock(*volume);
    voxels = lock.voxels();
    struct Forget
    {
        Model::Automaton::Voxel *&voxels;
        ~Forget() { voxels = nullptr; }
    } forget{voxels};
    slabs.run([this](int32_t slice) { developSlice(slice); });
}

void Photolithography::developSlice(int32_t slice) const
{
    using Model::Automaton::Voxel;
    const uint32_t resist = resistMaterial;
    const uint32_t top = sizeZ; // one past the last layer
    const size_t sz = sizeZ;
    for (uint32_t x = sliceFirst(slice); x < sliceLast(slice); ++x) {
        for (uint32_t y = 0; y < sizeY; ++y) {
            const size_t column = static_cast<size_t>(x) * sizeY + y;
            const bool topOpen = topColumns[column] == 0;
            const bool bottomOpen = bottomColumns[column] == 0;
            if (!topOpen && !bottomOpen)
                continue;
            Voxel *cells = voxels + column * sz;
            uint32_t z = 0;
            while (z < top) {
                if (cells[z].getMaterialId() != resist) {
                    ++z;
                    continue;
                }
                const uint32_t first = z;
                while (z < top && cells[z].getMaterialId() == resist)
                    ++z;
                // [first, z) is a whole run; the cells beside it are not resist, so
                // emptying another run never exposes this one.
                const bool fromBelow = bottomOpen && first > 0 && cells[first - 1].getMaterialId() == 0;
                const bool fromAbove = topOpen && z < top && cells[z].getMaterialId() == 0;
                if (fromBelow || fromAbove)
                    for (uint32_t k = first; k < z; ++k)
                        cells[k].setMaterialId(0);
            }
        }
    }
}

} // namespace Operations
} // namespace Core
