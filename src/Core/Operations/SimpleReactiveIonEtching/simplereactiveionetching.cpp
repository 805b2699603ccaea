#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetching.h"

#include <algorithm>
#include <limits>

namespace Core {
namespace Operations {

namespace {

int32_t layerCount(double depth)
{
    if (!(depth >= 0.0))
        return 0;
    if (depth >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(depth);
}

} // namespace

SimpleReactiveIonEtching::SimpleReactiveIonEtching(Model::Automaton::TotalVolume *volume, uint32_t etchedMaterial,
                                                   double depth, EtchDirections directions)
    : volume(volume), etchedMaterial(etchedMaterial), iterations(layerCount(depth)), directions(directions),
      sizeX(volume->getSizeX()), sizeY(volume->getSizeY()), sizeZ(volume->getSizeZ()),
      strideX(volume->index(1, 0, 0) - volume->index(0, 0, 0)),
      strideY(volume->index(0, 1, 0) - volume->index(0, 0, 0)), slabs(Model::Automaton::Slabs::forPool(sizeX))
{
    slices.resize(static_cast<size_t>(slabs.count()));
}

void SimpleReactiveIonEtching::run()
{
    if (sizeX == 0 || sizeY == 0 || sizeZ == 0 || iterations == 0 || directions == EtchDirections::None)
        return;
    Model::Automaton::VoxelLock lock(*volume);
    voxels = lock.voxels();
    struct Forget
    {
        Model::Automaton::Voxel *&voxels;
        ~Forget() { voxels = nullptr; }
    } forget{voxels};

    // Columns never exchange cells, so each column can run all its steps while it is in
    // the cache: one sweep of the volume instead of one sweep per step, with the same
    // cells removed as if every column took its steps in lockstep with the others.
    slabs.run([this](int32_t slice) {
        for (uint32_t x = sliceFirst(slice); x < sliceLast(slice); ++x)
            for (uint32_t y = 0; y < sizeY; ++y)
                etchColumn(slice, voxels + x * strideX + y * strideY);
    });
    for (SliceLists &lists : slices)
        lists = SliceLists();
}

void SimpleReactiveIonEtching::etchColumn(int32_t slice, Model::Automaton::Voxel *cells)
{
    SliceLists &lists = slices[static_cast<size_t>(slice)];
    std::vector<uint32_t> &front = lists.front;
    std::vector<uint32_t> &next = lists.next;
    std::vector<uint32_t> &removed = lists.removals;
    const bool fromTop = includes(directions, EtchDirections::FromTop);
    const bool fromBelow = includes(directions, EtchDirections::FromBelow);
    const uint32_t material = etchedMaterial;
    const uint32_t top = sizeZ - 1;

    // Seeding: cells of the material with an empty cell above (from the top) or below
    // (from below).
    front.clear();
    for (uint32_t z = 0; z < sizeZ; ++z) {
        if (cells[z].getMaterialId() != material)
            continue;
        if ((fromTop && z < top && cells[z + 1].getMaterialId() == 0) ||
            (fromBelow && z > 0 && cells[z - 1].getMaterialId() == 0))
            front.push_back(z);
    }

    // Each step removes the front and moves it one cell on through the material: up the
    // column when etching from below, down it when etching from the top.
    for (int32_t step = 0; step < iterations && !front.empty(); ++step) {
        next.clear();
        removed.clear();
        for (const uint32_t z : front) {
            if (cells[z].getMaterialId() != material)
                continue;
            removed.push_back(z);
            if (fromBelow && z < top && cells[z + 1].getMaterialId() == material)
                next.push_back(z + 1);
            if (fromTop && z > 0 && cells[z - 1].getMaterialId() == material)
                next.push_back(z - 1);
        }
        // Fronts moving both ways may meet: keep the list ordered and free of repeats.
        if (!std::is_sorted(next.begin(), next.end()))
            std::sort(next.begin(), next.end());
        next.erase(std::unique(next.begin(), next.end()), next.end());
        for (const uint32_t z : removed)
            cells[z].setMaterialId(0);
        front.swap(next);
    }
}

} // namespace Operations
} // namespace Core
