#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

namespace Core {
namespace Operations {

// Anisotropic deposition that starts only from solid cells whose face towards the
// chosen side is open: `side` 1 the top (+z), 2 the bottom (-z), 3 both.
class SimplePhysicalVaporDeposition final : public DistanceCountingAutomaton<SimplePhysicalVaporDeposition>
{
public:
    SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume *volume, uint32_t depositedMaterial,
                                  float thickness, float ratio, int32_t side);

    int64_t stepCount() const;
    // Runs stepCount() steps.
    void simulate();

private:
    friend class DistanceCountingAutomaton<SimplePhysicalVaporDeposition>;

    CellClass classify(const Voxel &cell, uint32_t x, uint32_t y, uint32_t z, uint32_t) const
    {
        if (cell.getMaterialId() == 0)
            return CellClass::Free;
        const bool top = (side & 1) && z + 1 < sizeZ && voxels[volume->index(x, y, z + 1)].getMaterialId() == 0;
        const bool bottom = (side & 2) && z > 0 && voxels[volume->index(x, y, z - 1)].getMaterialId() == 0;
        return top || bottom ? CellClass::Source : CellClass::Blocked;
    }
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() != 0; }
    uint32_t writtenMaterial(const Voxel &) const { return depositedMaterial; }
    float reach() const { return thickness; }
    float reachSquared() const { return thicknessSquared; }

    uint32_t depositedMaterial;
    float thickness;
    float thicknessSquared;
    int32_t side;
};

} // namespace Operations
} // namespace Core
