#pragma once

namespace Model {
namespace Automaton {

class TotalVolume;

// Atom-level model of a cell volume's silicon. Built from the cells on request; the
// atoms themselves come with the wet-etching processes.
class SiLattice
{
public:
    explicit SiLattice(TotalVolume *volume) : volume(volume) {}
    virtual ~SiLattice() = default;

    // Reads the volume's cells; the volume's voxel mutex must not be held by the caller.
    virtual void initialize() {}
    TotalVolume *getVolume() const { return volume; }

private:
    TotalVolume *volume;
};

} // namespace Automaton
} // namespace Model
