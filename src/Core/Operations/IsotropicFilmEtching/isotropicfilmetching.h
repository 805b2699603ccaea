#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

namespace Core {
namespace Operations {

// Empties every cell of the etched material within `depth` length units of an empty
// cell; other materials block the etch.
class IsotropicFilmEtching final : public DistanceCountingAutomaton<IsotropicFilmEtching>
{
public:
    IsotropicFilmEtching(Model::Automaton::TotalVolume *volume, uint32_t etchedMaterial, float depth);

    int64_t stepCount() const;
    // Runs stepCount() steps.
    void simulate();

private:
    friend class DistanceCountingAutomaton<IsotropicFilmEtching>;

    // Blocked cells next to an empty one enter the first front too; they stop at once.
    static constexpr bool seedsBlockedCells = true;

    CellClass classify(const Voxel &cell, uint32_t, uint32_t, uint32_t, uint32_t) const
    {
        const uint32_t m = cell.getMaterialId();
        if (m == 0)
            return CellClass::Source;
        return m == etchedMaterial ? CellClass::Free : CellClass::Blocked;
    }
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() == 0; }
    bool skips(const Voxel &cell) const
    {
        return cell.getMaterialId() != etchedMaterial && cell.getMaterialId() != 0;
    }
    uint32_t writtenMaterial(const Voxel &) const { return 0; }
    float reach() const { return depth; }
    float reachSquared() const { return depthSquared; }

    uint32_t etchedMaterial;
    float depth;
    float depthSquared;
};

} // namespace Operations
} // namespace Core
