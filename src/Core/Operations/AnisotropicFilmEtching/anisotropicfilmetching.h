#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

namespace Core {
namespace Operations {

// Isotropic etching whose lateral (x, y) reach is `ratio` times the vertical one.
class AnisotropicFilmEtching final : public DistanceCountingAutomaton<AnisotropicFilmEtching>
{
public:
    AnisotropicFilmEtching(Model::Automaton::TotalVolume *volume, uint32_t etchedMaterial, float depth,
                           float ratio);

    int64_t stepCount() const;
    // Runs stepCount() steps.
    void simulate();

private:
    friend class DistanceCountingAutomaton<AnisotropicFilmEtching>;

    CellClass classify(const Voxel &cell, uint32_t, uint32_t, uint32_t, uint32_t) const
    {
        const uint32_t m = cell.getMaterialId();
        if (m == 0)
            return CellClass::Source;
        return m == etchedMaterial ? CellClass::Free : CellClass::Blocked;
    }
    // The etch starts at etched cells that touch something solid: a lone etched cell
    // with nothing but empty neighbours stays.
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() != 0; }
    bool growsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() == 0; }
    uint32_t writtenMaterial(const Voxel &) const { return 0; }
    float reach() const { return depth; }
    float reachSquared() const { return depthSquared; }

    uint32_t etchedMaterial;
    float depth;
    float depthSquared;
};

} // namespace Operations
} // namespace Core
