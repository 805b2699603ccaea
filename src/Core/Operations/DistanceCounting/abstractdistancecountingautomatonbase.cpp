#include "Core/Operations/DistanceCounting/abstractdistancecountingautomatonbase.h"

#include "Core/Operations/DistanceCounting/slicetasks.h"

#include <QThreadPool>
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
    : volume(volume), sizeX(volume->getSizeX()), sizeY(volume->getSizeY()), sizeZ(volume->getSizeZ()),
      cellSizeX(volume->getCellSizeX()), cellSizeY(volume->getCellSizeY()),
      cellSizeZ(volume->getCellSizeZ()), strideY(sizeY), strideZ(sizeZ)
{
    if (volume->getCellCount() > std::numeric_limits<uint32_t>::max())
        throw std::length_error("The cell volume has too many cells for this process.");

    // Neighbour distances as the volume lays its cells out.
    neighbourStep[0] = static_cast<uint32_t>(volume->index(0, 0, 1) - volume->index(0, 0, 0));
    neighbourStep[1] = static_cast<uint32_t>(volume->index(0, 1, 0) - volume->index(0, 0, 0));
    neighbourStep[2] = static_cast<uint32_t>(volume->index(1, 0, 0) - volume->index(0, 0, 0));

    bounds = sliceBounds(sizeX, QThreadPool::globalInstance()->maxThreadCount());
    sliceCount = static_cast<int32_t>(bounds.size());
    sliceLayers = sliceCount > 1 ? sizeX / static_cast<uint32_t>(sliceCount) : sizeX;
    fronts.resize(bounds.size());
    newFronts.resize(bounds.size());
    handOverDown.resize(bounds.size());
    handOverUp.resize(bounds.size());
    changes.resize(bounds.size());
    for (size_t i = 0; i < bounds.size(); ++i)
        sliceMutexes.push_back(std::make_unique<std::mutex>());
    computeNeighbourVectors();
}

AbstractDistanceCountingAutomatonBase::~AbstractDistanceCountingAutomatonBase() = default;

std::vector<AbstractDistanceCountingAutomatonBase::SliceBounds>
AbstractDistanceCountingAutomatonBase::sliceBounds(uint32_t sizeX, int32_t threads)
{
    const uint32_t p = threads > 0 ? static_cast<uint32_t>(threads) : 1;
    const uint32_t s = sizeX / p;
    if (s == 0)
        return {SliceBounds{0, sizeX}};
    const uint32_t r = sizeX % s;
    std::vector<SliceBounds> result(p);
    uint32_t start = 0;
    for (uint32_t i = 0; i < p; ++i) {
        const uint32_t length = i < r ? s + 1 : s;
        result[i].first = start;
        result[i].last = i + 1 == p ? sizeX : start + length;
        start += length;
    }
    return result;
}

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
            automaton->voxels = nullptr;
        }
    } release{this};

    const size_t layerCells = static_cast<size_t>(sizeY) * sizeZ;
    for (size_t s = 0; s < bounds.size(); ++s) {
        const size_t cells = (bounds[s].last - bounds[s].first) * layerCells;
        const uint32_t firstCell = static_cast<uint32_t>(bounds[s].first * layerCells);
        fronts[s].cover(firstCell, cells);
        newFronts[s].cover(firstCell, cells);
    }

    runSliceTasks(sliceCount, [this](int32_t s) {
        initializeSlice(bounds[static_cast<size_t>(s)].first, bounds[static_cast<size_t>(s)].last, s);
    });
    if (handsOverDuringInitialization())
        runSliceTasks(sliceCount, [this](int32_t s) {
            takeHandOvers(static_cast<size_t>(s), fronts[static_cast<size_t>(s)], true);
        });
    while (stepsRun < steps && !frontsEmpty()) {
        runSliceTasks(sliceCount, [this](int32_t s) {
            stepSlice(bounds[static_cast<size_t>(s)].first, bounds[static_cast<size_t>(s)].last, s);
        });
        runSliceTasks(sliceCount, [this](int32_t s) { completeStep(s); });
        ++stepsRun;
    }
    if (finalize) {
        runSliceTasks(sliceCount, [this](int32_t s) {
            finalizeSlice(bounds[static_cast<size_t>(s)].first, bounds[static_cast<size_t>(s)].last, s);
        });
    }
}

void AbstractDistanceCountingAutomatonBase::completeStep(int32_t slice)
{
    const size_t s = static_cast<size_t>(slice);
    CellFront &next = newFronts[s];
    takeHandOvers(s, next, false);
    std::lock_guard<std::mutex> lock(*sliceMutexes[s]);
    applyChanges(slice);
    fronts[s].clear();
    fronts[s].swap(next);
}

void AbstractDistanceCountingAutomatonBase::takeHandOvers(size_t s, CellFront &into, bool changeableOnly)
{
    const auto take = [&](const std::vector<uint32_t> &cells) {
        for (uint32_t cell : cells)
            if (!changeableOnly || isChangeable(voxels[cell].getMaterialId()))
                into.insert(cell);
    };
    if (s > 0) {
        std::lock_guard<std::mutex> lock(*sliceMutexes[s - 1]);
        take(handOverUp[s - 1]);
    }
    if (s + 1 < bounds.size()) {
        std::lock_guard<std::mutex> lock(*sliceMutexes[s + 1]);
        take(handOverDown[s + 1]);
    }
}

bool AbstractDistanceCountingAutomatonBase::frontsEmpty() const
{
    for (const CellFront &front : fronts)
        if (!front.empty())
            return false;
    return true;
}

void AbstractDistanceCountingAutomatonBase::releaseFronts()
{
    for (size_t s = 0; s < fronts.size(); ++s) {
        fronts[s].release();
        newFronts[s].release();
        std::vector<uint32_t>().swap(handOverDown[s]);
        std::vector<uint32_t>().swap(handOverUp[s]);
        std::vector<ChangeRecord>().swap(changes[s]);
    }
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
