#pragma once

#include "Core/Operations/MooreNeighborhood/mooreneighborhoodautomaton.h"

namespace Core {
namespace Operations {

// Fills, per iteration, every empty cell that touches a solid or newly filled cell in
// its Moore neighbourhood with `material`.
class MooreNeighborhoodDeposition final : public MooreNeighborhoodAutomaton<MooreNeighborhoodDeposition>
{
public:
    MooreNeighborhoodDeposition(Model::Automaton::TotalVolume *volume, uint32_t material, int32_t iterations)
        : MooreNeighborhoodAutomaton(volume, material, iterations)
    {
    }

private:
    friend class MooreNeighborhoodAutomaton<MooreNeighborhoodDeposition>;

    bool passes(const Voxel &cell) const { return cell.getMaterialId() == 0; }
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() != 0; }
    uint32_t passableMaterial() const { return 0; }
    uint32_t writtenMaterial() const { return material; }
};

} // namespace Operations
} // namespace Core
