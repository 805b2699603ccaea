#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

namespace Core {
namespace Operations {

// Fills every empty cell within `thickness` length units of a solid cell with the
// deposited material.
class IsotropicFilmDeposition final : public DistanceCountingAutomaton<IsotropicFilmDeposition>
{
public:
    IsotropicFilmDeposition(Model::Automaton::TotalVolume *volume, uint32_t depositedMaterial, float thickness);

    int64_t stepCount() const;
    // Runs stepCount() steps.
    void simulate();

private:
    friend class DistanceCountingAutomaton<IsotropicFilmDeposition>;

    CellClass classify(const Voxel &cell, uint32_t, uint32_t, uint32_t, uint32_t) const
    {
        return cell.getMaterialId() != 0 ? CellClass::Source : CellClass::Free;
    }
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() != 0; }
    uint32_t writtenMaterial(const Voxel &cell) const
    {
        return cell.getMaterialId() != 0 ? cell.getMaterialId() : depositedMaterial;
    }
    float reach() const { return thickness; }
    float reachSquared() const { return thicknessSquared; }

    uint32_t depositedMaterial;
    float thickness;
    float thicknessSquared;
};

} // namespace Operations
} // namespace Core
