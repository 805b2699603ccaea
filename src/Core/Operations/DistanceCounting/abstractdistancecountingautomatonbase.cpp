#include "Core/Operations/DistanceCounting/abstractdistancecountingautomatonbase.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

constexpr int AbstractDistanceCountingAutomatonBase::neighbourOffsets[neighbourCount][3];

const double AbstractDistanceCountingAutomatonBase::stepFactor = (std::sqrt(2.0) + 1.0) / std::sqrt(2.0);

namespace {

int64_t truncatedSteps(double steps)
{
    if (!(steps > 0.0))
        return 0;
    if (steps >= static_cast<double>(std::numeric_limits<int64_t>::max()))
        return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(steps);
}

} // namespace

AbstractDistanceCountingAutomatonBase::AbstractDistanceCountingAutomatonBase(TotalVolume *volume)
    : SlabFronts(volume->getSizeX(), 1), volume(volume), sizeX(volume->getSizeX()), sizeY(volume->getSizeY()),
      sizeZ(volume->getSizeZ()), cellSizeX(volume->getCellSizeX()), cellSizeY(volume->getCellSizeY()),
      cellSizeZ(volume->getCellSizeZ()), strideY(sizeY), strideZ(sizeZ)
{
    if (volume->getCellCount() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("The cell volume has too many cells for this process.");

    // Neighbour distances as the volume lays its cells out.
    neighbourStep[0] = static_cast<uint32_t>(volume->index(0, 0, 1) - volume->index(0, 0, 0));
    neighbourStep[1] = static_cast<uint32_t>(volume->index(0, 1, 0) - volume->index(0, 0, 0));
    neighbourStep[2] = static_cast<uint32_t>(volume->index(1, 0, 0) - volume->index(0, 0, 0));

    changes.resize(static_cast<size_t>(slabs.count()));
    computeNeighbourVectors();
}

AbstractDistanceCountingAutomatonBase::~AbstractDistanceCountingAutomatonBase() = default;

int64_t AbstractDistanceCountingAutomatonBase::depositionStepCount(float reach, float smallestCellSize)
{
    const float cells = std::ceil(reach / smallestCellSize);
    return truncatedSteps(static_cast<double>(cells) * stepFactor);
}

int64_t AbstractDistanceCountingAutomatonBase::depositionRunLength(float reach, float smallestCellSize)
{
    return depositionStepCount(reach, smallestCellSize) > 0 ? std::numeric_limits<int64_t>::max() : 0;
}

int64_t AbstractDistanceCountingAutomatonBase::etchingStepCount(float reach, float smallestCellSize)
{
    return truncatedSteps(
        std::ceil(static_cast<double>(reach) * stepFactor / static_cast<double>(smallestCellSize)));
}

float AbstractDistanceCountingAutomatonBase::smallestCellSize() const
{
    return std::min(cellSizeX, std::min(cellSizeY, cellSizeZ));
}

void AbstractDistanceCountingAutomatonBase::computeNeighbourVectors()
{
    for (int k = 0; k < neighbourCount; ++k) {
        neighbourVectors[k][0] = static_cast<float>(neighbourOffsets[k][0]) * cellSizeX;
        neighbourVectors[k][1] = static_cast<float>(neighbourOffsets[k][1]) * cellSizeY;
        neighbourVectors[k][2] = static_cast<float>(neighbourOffsets[k][2]) * cellSizeZ;
    }
}

void AbstractDistanceCountingAutomatonBase::applyLateralRatio(float ratio, float reach)
{
    if (ratio > 0.0f) {
        cellSizeX /= ratio;
        cellSizeY /= ratio;
    } else {
        cellSizeX = 2.0f * reach;
        cellSizeY = 2.0f * reach;
    }
    computeNeighbourVectors();
}

void AbstractDistanceCountingAutomatonBase::addChangeableMaterial(uint32_t materialId)
{
    const auto at = std::lower_bound(changeableMaterials.begin(), changeableMaterials.end(), materialId);
    if (at == changeableMaterials.end() || *at != materialId)
        changeableMaterials.insert(at, materialId);
}

void AbstractDistanceCountingAutomatonBase::run(int64_t steps) { runPhases(steps, true); }

void AbstractDistanceCountingAutomatonBase::runPhases(int64_t steps, bool finalize)
{
    Model::Automaton::VoxelLock lock(*volume);
    voxels = lock.voxels();
    stepsRun = 0;
    // Whatever happens, no storage outlives the run and the cells are released.
    struct Release
    {
        AbstractDistanceCountingAutomatonBase *automaton;
        ~Release()
        {
            automaton->releaseFronts();
            for (SliceVector<ChangeRecord> &list : automaton->changes)
                std::vector<ChangeRecord>().swap(list);
            automaton->voxels = nullptr;
        }
    } release{this};

    coverFronts(static_cast<size_t>(sizeY) * sizeZ);
    slabs.run([this](int32_t s) { initializeSlice(slabs.first(s), slabs.last(s), s); });
    if (handsOverDuringInitialization())
        slabs.run([this](int32_t s) {
            takeHandOvers(static_cast<size_t>(s), fronts[static_cast<size_t>(s)],
                          [this](uint32_t cell) { return isChangeable(voxels[cell].getMaterialId()); });
        });
    while (stepsRun < steps && !frontsEmpty()) {
        runStep([this](int32_t s) { stepSlice(slabs.first(s), slabs.last(s), s); },
                [this](int32_t s) { applyChanges(s); });
        ++stepsRun;
    }
    if (finalize)
        slabs.run([this](int32_t s) { finalizeSlice(slabs.first(s), slabs.last(s), s); });
}

void AbstractDistanceCountingAutomatonBase::initializeSlice(uint32_t first, uint32_t last, int32_t slice)
{
    for (uint32_t x = first; x < last; ++x)
        for (uint32_t y = 0; y < sizeY; ++y) {
            const uint32_t column = static_cast<uint32_t>(volume->index(x, y, 0));
            for (uint32_t z = 0; z < sizeZ; ++z)
                initializeCell(column + z, slice);
        }
}

void AbstractDistanceCountingAutomatonBase::stepSlice(uint32_t first, uint32_t last, int32_t slice)
{
    evaluateFront(first, last, slice,
                  [this](uint32_t cell, uint32_t f, uint32_t l, CellFront &front, int32_t s) {
                      stepCell(cell, f, l, front, s);
                  });
}

void AbstractDistanceCountingAutomatonBase::finalizeSlice(uint32_t first, uint32_t last, int32_t slice)
{
    for (uint32_t x = first; x < last; ++x)
        for (uint32_t y = 0; y < sizeY; ++y) {
            const uint32_t column = static_cast<uint32_t>(volume->index(x, y, 0));
            for (uint32_t z = 0; z < sizeZ; ++z)
                finalizeCell(column + z, slice);
        }
}

void AbstractDistanceCountingAutomatonBase::applyChanges(int32_t slice)
{
    for (const ChangeRecord &change : changes[static_cast<size_t>(slice)]) {
        Voxel &v = voxels[change.cell];
        v.setMaterialId(change.materialId);
        v.setDistance(change.distanceX, change.distanceY, change.distanceZ);
    }
}

void AbstractDistanceCountingAutomatonBase::addNeighboursToFront(uint32_t cell, uint32_t first, uint32_t last,
                                                                 CellFront &front, int32_t slice)
{
    uint32_t x, y, z;
    splitIndex(cell, &x, &y, &z);
    queueNeighbours(x, y, z, cell, first, last, front, slice);
}

} // namespace Operations
} // namespace Core
