#include "Core/Operations/SiOxidation/simplesioxidation.h"

#include "Core/Operations/DopingOperation/dopablematerials.h"

#include <cmath>
#include <limits>
#include <mutex>

namespace Core {
namespace Operations {

constexpr float SimpleSiOxidation::outwardFraction;
constexpr uint32_t SimpleSiOxidation::oxideMaterial;

SimpleSiOxidation::DealGrove SimpleSiOxidation::dealGrove(double hours, double kelvin, double atmospheres)
{
    DealGrove g;
    g.parabolicRate = 1297.907373 * std::exp(-14.92366568 * 1000.0 / kelvin) * atmospheres * 0.999264839884312;
    g.linearRate = 7973245.767 * std::exp(-23.43965534 * 1000.0 / kelvin);
    g.a = g.parabolicRate / g.linearRate;
    g.tau = (0.025 * g.a + 0.000625) / g.parabolicRate;
    g.thickness = (std::sqrt(4.0 * g.parabolicRate * (hours + g.tau) + g.a * g.a) - g.a) / 2.0;
    // No oxygen (or a temperature so low that the rate is 0 in double precision) grows
    // nothing, rather than the infinite or undefined thickness the formula gives then.
    if (!(g.parabolicRate > 0.0) || !std::isfinite(g.thickness) || g.thickness < 0.0)
        g.thickness = 0.0;
    return g;
}

SimpleSiOxidation::SimpleSiOxidation(Model::Automaton::TotalVolume *volume, double micronConversion)
    : DistanceCountingAutomaton(volume), micronConversion(micronConversion)
{
    oxidisableMaterials = catalogueMaterials(siOxidationProcess);
    for (uint32_t id : oxidisableMaterials)
        addChangeableMaterial(id);
    addChangeableMaterial(0);
    // Vectors only ever grow away from the source: every component counts positive.
    computeNeighbourVectors();
    for (auto &vector : neighbourVectors)
        for (float &component : vector)
            component = std::fabs(component);
}

int64_t SimpleSiOxidation::stepCount(double lengthUnits) const
{
    const double outward = static_cast<double>(outwardFraction) * lengthUnits;
    return etchingStepCount(static_cast<float>(outward), smallestCellSize());
}

void SimpleSiOxidation::simulate(double microns)
{
    thickness = microns * micronConversion;
    // With no thickness every free cell would sit at distance 0 and be taken by the
    // finalisation; nothing grows, so nothing runs. An unbounded thickness is no
    // thickness either.
    if (!(thickness > 0.0) || !std::isfinite(thickness))
        return;
    const double outward = static_cast<double>(outwardFraction) * thickness;
    const float reachOut = static_cast<float>(outward);
    const float reachIn = static_cast<float>(thickness - outward);
    inwardSquared = reachIn * reachIn;
    outwardSquared = reachOut * reachOut;
    // Like a deposition, the fronts run until no cell within reach can improve.
    run(stepCount(thickness) > 0 ? std::numeric_limits<int64_t>::max() : 0);
}

bool SimpleSiOxidation::isExposed(uint32_t x, uint32_t y, uint32_t z, uint32_t cell) const
{
    bool exposed = false;
    forEachNeighbour(x, y, z, cell, [&](int, uint32_t n, uint32_t) { exposed = exposed || voxels[n].getMaterialId() == 0; });
    return exposed;
}

void SimpleSiOxidation::initializeCellOfSlice(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, uint32_t first,
                                              uint32_t last, CellFront &front, int32_t slice)
{
    Voxel &v = voxels[cell];
    const uint32_t m = v.getMaterialId();
    const float t = static_cast<float>(thickness);
    if (m != 0 && !isOxidisable(m)) {
        v.setMarked(true);
        v.setDistance(t, t, t);
        return;
    }
    if (m != 0 && isExposed(x, y, z, cell)) {
        v.setMarked(true);
        v.setDistance(0.0f, 0.0f, cellSizeZ * 0.5f);
        // The free cells next to an exposed cell are those the first step can reach:
        // the empty cells with an oxidisable neighbour and the inner oxidisable cells
        // whose oxidisable neighbour is exposed. Queueing them from here spares every
        // inner cell a look at its neighbours' neighbours; queued cells that turn out
        // marked stop at once.
        queueNeighbours(x, y, z, cell, first, last, front, slice);
        return;
    }
    v.setMarked(false);
    v.setDistance(t, t, t);
}

void SimpleSiOxidation::initializeSlice(uint32_t first, uint32_t last, int32_t slice)
{
    const size_t s = static_cast<size_t>(slice);
    const std::unique_lock<std::mutex> lock = openSlice(s);
    CellFront &front = fronts[s];
    for (uint32_t x = first; x < last; ++x)
        for (uint32_t y = 0; y < sizeY; ++y) {
            const uint32_t column = static_cast<uint32_t>(volume->index(x, y, 0));
            for (uint32_t z = 0; z < sizeZ; ++z)
                initializeCellOfSlice(x, y, z, column + z, first, last, front, slice);
        }
}

void SimpleSiOxidation::initializeOne(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, CellFront &front)
{
    const int32_t slice = sliceOf(x);
    initializeCellOfSlice(x, y, z, cell, sliceFirst(slice), sliceLast(slice), front, slice);
}

void SimpleSiOxidation::finalizeSlice(uint32_t first, uint32_t last, int32_t)
{
    const size_t begin = volume->index(first, 0, 0);
    const size_t end = last < sizeX ? volume->index(last, 0, 0) : volume->getCellCount();
    for (size_t i = begin; i < end; ++i)
        finalize(voxels[i]);
}

void SimpleSiOxidation::finalizeCell(uint32_t cell, int32_t) { finalize(voxels[cell]); }

} // namespace Operations
} // namespace Core
