#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

// What an atom of the silicon lattice is: not there (etched, in an empty cell or outside
// the volume), a silicon atom the etch may remove, or a permanent atom (in a cell of
// another material, or a rim atom the etch adds).
enum AtomState : uint8_t { AtomAbsent = 0, AtomPresent = 1, AtomFixed = 3 };

// One atom of the lattice. Atoms are addressed by a 32-bit index into their lattice
// (SiLattice::atom); the four bond slots hold the indices of the bonded atoms, or
// `none` where no atom object exists at the bond's far end. Linking through slot k
// always pairs with the other atom's slot 3 - k.
struct SiAtom
{
    static constexpr uint32_t none = 0xFFFFFFFFu;

    // Linear index of the cell the atom lies in; -1 outside the volume or never placed.
    int32_t voxelIndex = -1;
    // Remaining fraction of the atom, used by the continuous wet etch only.
    float fill = 1.0f;
    uint32_t neighbours[4] = {none, none, none, none};
    uint8_t state = AtomPresent;

    bool isAbsent() const { return state == AtomAbsent; }
    bool isPresent() const { return state == AtomPresent; }
    bool isFixed() const { return state == AtomFixed; }
    bool hasNeighbour(int slot) const { return neighbours[slot] != none; }
};

} // namespace Automaton
} // namespace Model
