#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

#include <vector>

namespace Core {
namespace Operations {

// Turns every dopable cell within `depth` length units of an empty cell into the dopant
// material. The dopable materials are those of catalogue process 13 ("Simple Doping");
// any other solid blocks the dopant.
class SimpleDoping final : public DistanceCountingAutomaton<SimpleDoping>
{
public:
    SimpleDoping(Model::Automaton::TotalVolume *volume, uint32_t dopantMaterial, float depth);

    // The design's count: ceil(depth / m) times the step factor.
    int64_t stepCount() const;
    // Runs until every cell within the depth is reached (none for a depth of 0).
    void simulate();

private:
    friend class DistanceCountingAutomaton<SimpleDoping>;

    bool isDopable(uint32_t materialId) const
    {
        for (uint32_t id : dopableMaterials)
            if (id == materialId)
                return true;
        return false;
    }

    CellClass classify(const Voxel &cell, uint32_t, uint32_t, uint32_t, uint32_t) const
    {
        const uint32_t m = cell.getMaterialId();
        if (m == 0)
            return CellClass::Source;
        return isDopable(m) ? CellClass::Free : CellClass::Blocked;
    }
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() == 0; }
    bool skips(const Voxel &cell) const { return !isDopable(cell.getMaterialId()); }
    uint32_t writtenMaterial(const Voxel &) const { return dopantMaterial; }
    float reach() const { return depth; }
    float reachSquared() const { return depthSquared; }

    uint32_t dopantMaterial;
    float depth;
    float depthSquared;
    // Sorted ids; also the engine's changeable materials, so that only dopable
    // neighbours enter a front.
    std::vector<uint32_t> dopableMaterials;
};

} // namespace Operations
} // namespace Core
