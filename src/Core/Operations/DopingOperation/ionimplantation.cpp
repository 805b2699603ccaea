#include "Core/Operations/DopingOperation/ionimplantation.h"

#include "Core/Operations/DopingOperation/dopablematerials.h"

#include <cmath>
#include <mutex>

namespace Core {
namespace Operations {

IonImplantation::IonImplantation(Model::Automaton::TotalVolume *volume, uint32_t dopantMaterial,
                                 float implantationDepth, float verticalSpread, float annealingDistance)
    : DistanceCountingAutomaton(volume), dopantMaterial(dopantMaterial), implantationDepth(implantationDepth),
      verticalSpread(verticalSpread), annealingDistance(annealingDistance),
      annealingDistanceSquared(annealingDistance * annealingDistance),
      halfWidth(static_cast<float>(static_cast<double>(cellSizeZ) * 0.5 + static_cast<double>(verticalSpread)))
{
    computeNeighbourVectors();
    for (uint32_t id : catalogueMaterials(simpleDopingProcess))
        addChangeableMaterial(id);
}

int64_t IonImplantation::stepCount() const { return depositionStepCount(annealingDistance, smallestCellSize()); }

void IonImplantation::simulate() { run(depositionRunLength(annealingDistance, smallestCellSize())); }

int64_t IonImplantation::columnTop(uint32_t column) const
{
    for (int64_t z = static_cast<int64_t>(sizeZ) - 1; z >= 0; --z)
        if (voxels[column + static_cast<uint32_t>(z)].getMaterialId() != 0)
            return z;
    return -1;
}

void IonImplantation::initializeBelowTop(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, int64_t k,
                                         uint32_t first, uint32_t last, CellFront &front, int32_t slice)
{
    Voxel &v = voxels[cell];
    const float a = annealingDistance;
    if (!isChangeable(v.getMaterialId())) {
        v.setDistance(a, a, a);
        v.setMarked(true);
        return;
    }
    const float f = static_cast<float>(k) * cellSizeZ - implantationDepth;
    if (std::fabs(f) > halfWidth) {
        v.setDistance(a, a, a);
        v.setMarked(false);
        return;
    }
    v.setDistance(0.0f, 0.0f, 0.0f);
    v.setMarked(true);
    v.setMaterialId(dopantMaterial);
    // Cells of this slice are tested now (no other task writes them); cells of the
    // neighbour slices may be changing under their own pass, so they are handed over
    // untested and tested when every slice is done.
    const size_t s = static_cast<size_t>(slice);
    forEachNeighbour(x, y, z, cell, [&](int, uint32_t n, uint32_t nx) {
        if (nx < first)
            handOverDown[s].push_back(n);
        else if (nx >= last)
            handOverUp[s].push_back(n);
        else if (isChangeable(voxels[n].getMaterialId()))
            front.insert(n);
    });
}

void IonImplantation::initializeSlice(uint32_t first, uint32_t last, int32_t slice)
{
    const size_t s = static_cast<size_t>(slice);
    const std::unique_lock<std::mutex> lock = openSlice(s);
    CellFront &front = fronts[s];
    const float a = annealingDistance;
    for (uint32_t x = first; x < last; ++x)
        for (uint32_t y = 0; y < sizeY; ++y) {
            const uint32_t column = static_cast<uint32_t>(volume->index(x, y, 0));
            int64_t z = static_cast<int64_t>(sizeZ) - 1;
            for (; z >= 0; --z) {
                Voxel &v = voxels[column + static_cast<uint32_t>(z)];
                if (v.getMaterialId() != 0)
                    break;
                v.setDistance(a, a, a);
                v.setMarked(true);
            }
            const int64_t c = z + 1;
            for (; z >= 0; --z) {
                const uint32_t zz = static_cast<uint32_t>(z);
                initializeBelowTop(x, y, zz, column + zz, c - z, first, last, front, slice);
            }
        }
}

void IonImplantation::initializeOne(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, CellFront &front)
{
    const int64_t top = columnTop(cell - z);
    if (static_cast<int64_t>(z) > top) {
        voxels[cell].setDistance(annealingDistance, annealingDistance, annealingDistance);
        voxels[cell].setMarked(true);
        return;
    }
    const int32_t slice = sliceOf(x);
    initializeBelowTop(x, y, z, cell, top + 1 - static_cast<int64_t>(z), sliceFirst(slice), sliceLast(slice), front,
                       slice);
}

} // namespace Operations
} // namespace Core
