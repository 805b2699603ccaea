#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"
#include "Core/Operations/SimplePhysicalVaporDeposition/depositon.h"

namespace Core {
namespace Operations {

// Anisotropic deposition that starts only from solid cells whose face towards the
// chosen side is open.
class SimplePhysicalVaporDeposition final : public DistanceCountingAutomaton<SimplePhysicalVaporDeposition>
{
public:
    SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume *volume, uint32_t depositedMaterial,
                                  float thickness, float ratio, DepositOn side);

    int64_t stepCount() const;
    // Runs stepCount() steps.
    void simulate();

private:
    friend class DistanceCountingAutomaton<SimplePhysicalVaporDeposition>;

    CellClass classify(const Voxel &cell, uint32_t x, uint32_t y, uint32_t z, uint32_t) const
    {
        if (cell.getMaterialId() == 0)
            return CellClass::Free;
        const bool top = side != DepositOn::Bottom && z + 1 < sizeZ && voxels[volume->index(x, y, z + 1)].getMaterialId() == 0;
        const bool bottom = side != DepositOn::Top && z > 0 && voxels[volume->index(x, y, z - 1)].getMaterialId() == 0;
        return top || bottom ? CellClass::Source : CellClass::Blocked;
    }
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() != 0; }
    uint32_t writtenMaterial(const Voxel &) const { return depositedMaterial; }
    float reach() const { return thickness; }
    float reachSquared() const { return thicknessSquared; }

    uint32_t depositedMaterial;
    float thickness;
    float thicknessSquared;
    DepositOn side;
};

} // namespace Operations
} // namespace Core
