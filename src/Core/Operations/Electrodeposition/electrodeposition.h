#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

namespace Core {
namespace Operations {

// Electroplating: fills empty cells within `thickness` length units of the conducting
// material with the deposited material. Other solid cells neither grow nor change.
class Electrodeposition final : public DistanceCountingAutomaton<Electrodeposition>
{
public:
    Electrodeposition(Model::Automaton::TotalVolume *volume, uint32_t depositedMaterial,
                      uint32_t conductingMaterial, float thickness);

    int64_t stepCount() const;
    // Runs stepCount() steps.
    void simulate();

private:
    friend class DistanceCountingAutomaton<Electrodeposition>;

    CellClass classify(const Voxel &cell, uint32_t, uint32_t, uint32_t, uint32_t) const
    {
        const uint32_t m = cell.getMaterialId();
        if (m == 0)
            return CellClass::Free;
        return m == conductingMaterial ? CellClass::Source : CellClass::Blocked;
    }
    // The film starts at empty cells that touch something other than the conductor: an
    // empty cell the conductor encloses on every side stays empty.
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() != conductingMaterial; }
    bool growsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() == conductingMaterial; }
    uint32_t writtenMaterial(const Voxel &cell) const
    {
        return cell.getMaterialId() != 0 ? cell.getMaterialId() : depositedMaterial;
    }
    float reach() const { return thickness; }
    float reachSquared() const { return thicknessSquared; }

    uint32_t depositedMaterial;
    uint32_t conductingMaterial;
    float thickness;
    float thicknessSquared;
};

} // namespace Operations
} // namespace Core
