#pragma once

#include "Core/Operations/MooreNeighborhood/mooreneighborhoodautomaton.h"

namespace Core {
namespace Operations {

// Empties, per iteration, every cell of `material` that touches an empty or newly
// emptied cell in its Moore neighbourhood. Other materials are never touched.
class MooreNeighborhoodEtching final : public MooreNeighborhoodAutomaton<MooreNeighborhoodEtching>
{
public:
    MooreNeighborhoodEtching(Model::Automaton::TotalVolume *volume, uint32_t material, int32_t iterations)
        : MooreNeighborhoodAutomaton(volume, material, iterations)
    {
    }

private:
    friend class MooreNeighborhoodAutomaton<MooreNeighborhoodEtching>;

    bool passes(const Voxel &cell) const { return cell.getMaterialId() == material; }
    bool seedsFrom(const Voxel &neighbour) const { return neighbour.getMaterialId() == 0; }
    uint32_t passableMaterial() const { return material; }
    uint32_t writtenMaterial() const { return 0; }
};

} // namespace Operations
} // namespace Core
