#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

namespace Core {
namespace Operations {

// Isotropic deposition whose lateral (x, y) reach is `ratio` times the vertical one.
class AnisotropicFilmDeposition final : public DistanceCountingAutomaton<AnisotropicFilmDeposition>
{
public:
    AnisotropicFilmDeposition(Model::Automaton::TotalVolume *volume, uint32_t depositedMaterial,
                              float thickness, float ratio);

    int64_t stepCount() const;
    // Runs stepCount() steps.
    void simulate();

private:
    friend class DistanceCountingAutomaton<AnisotropicFilmDeposition>;

    CellClass classify(const Voxel &cell, uint32_t, uint32_t, uint32_t, uint32_t) const
    {
        return cell.getMaterialId() != 0 ? CellClass::Source : CellClass::Free;
    }
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() != 0; }
    uint32_t writtenMaterial(const Voxel &) const { return depositedMaterial; }
    float reach() const { return thickness; }
    float reachSquared() const { return thicknessSquared; }

    uint32_t depositedMaterial;
    float thickness;
    float thicknessSquared;
};

} // namespace Operations
} // namespace Core
