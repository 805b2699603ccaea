#pragma once

#include "Core/Operations/Photolithography/mask.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// Develops a photoresist layer through a top and a bottom mask. In every column whose
// mask bit is 0, a vertical run of resist cells whose top face touches an empty cell
// (top mask) or whose bottom face does (bottom mask) is removed whole; every other cell
// stays. The negative resist (material 12) inverts the masks: it is removed under the
// opaque pixels only, and kept beyond the image.
//
// Development only ever moves along a column, so each column is settled in one pass
// over its cells: the runs of resist are found and the exposed ones emptied. That gives
// the cells of stepping a front of exposed resist up and down one cell at a time, in
// one read of the volume instead of one per layer.
class Photolithography
{
public:
    Photolithography(Model::Automaton::TotalVolume *volume, uint32_t resistMaterial, const Mask &bottomMask,
                     const Mask &topMask);
    Photolithography(Model::Automaton::TotalVolume *volume, uint32_t resistMaterial,
                     const std::vector<bool> &bottomBits, int32_t bottomWidth, int32_t bottomHeight,
                     const std::vector<bool> &topBits, int32_t topWidth, int32_t topHeight)
        : Photolithography(volume, resistMaterial, Mask(bottomBits, bottomWidth, bottomHeight),
                           Mask(topBits, topWidth, topHeight))
    {
    }

    // The whole development, under the volume's voxel lock.
    void run();

    // The slabs of x layers the run uses (at least 2 layers each); a single slab runs in
    // the calling thread.
    int32_t getSliceCount() const { return slabs.count(); }
    uint32_t sliceFirst(int32_t slice) const { return slabs.first(slice); }
    uint32_t sliceLast(int32_t slice) const { return slabs.last(slice); }

    // Column bits (index x * sizeY + y): 1 shields the column from that side.
    const std::vector<uint8_t> &getTopColumns() const { return topColumns; }
    const std::vector<uint8_t> &getBottomColumns() const { return bottomColumns; }

private:
    void developSlice(int32_t slice) const;

    Model::Automaton::TotalVolume *volume;
    uint32_t resistMaterial;
    std::vector<uint8_t> bottomColumns;
    std::vector<uint8_t> topColumns;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    Model::Automaton::Voxel *voxels = nullptr;
    Model::Automaton::Slabs slabs;
};

} // namespace Operations
} // namespace Core
