#pragma once

#include "Core/Operations/Photolithography/mask.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// Hides or shows whole columns of a cell volume through a mask: the columns the mask
// leaves open (transparent pixels, and every column beyond the image) change their
// cut counts, the columns under opaque pixels are left alone. Materials never change.
class CutCellVolume
{
public:
    // The empty mask opens every column.
    CutCellVolume(Model::Automaton::TotalVolume *volume, const Mask &mask);
    CutCellVolume(Model::Automaton::TotalVolume *volume, const std::vector<bool> &bits, int32_t width, int32_t height)
        : CutCellVolume(volume, Mask(bits, width, height))
    {
    }

    // One more cut on every cell of every open column (saturating at 255).
    void cut();
    // One cut fewer on the same cells (stopping at 0).
    void uncut();
    // No cuts left on the same cells.
    void uncutAll();

    // The slabs of x layers (at least 2 layers each) the changes run in.
    int32_t getSliceCount() const { return slabs.count(); }
    uint32_t sliceFirst(int32_t slice) const { return slabs.first(slice); }
    uint32_t sliceLast(int32_t slice) const { return slabs.last(slice); }
    const std::vector<uint8_t> &getColumns() const { return columns; }

private:
    template <class CellOperation>
    void apply(CellOperation operation);

    Model::Automaton::TotalVolume *volume;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    Model::Automaton::Voxel *voxels = nullptr;
    // 1 = the column is covered and keeps its cuts.
    std::vector<uint8_t> columns;
    Model::Automaton::Slabs slabs;
};

} // namespace Operations
} // namespace Core
