#pragma once

#include "Model/Automaton/siatom.h"
#include "Model/Automaton/sicell.h"
#include "Util/vector3d.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;
class Voxel;

// Atom-level model of a cell volume's silicon: a diamond-cubic crystal laid over the
// volume, turned by 45 degrees about z, every atom marked by the cell it falls in and
// linked to its four bonded neighbours.
//
// Storage. Only unit cells holding at least one silicon atom are kept, in key order
// (cell(c), c = 0 .. cellCount() - 1). Atoms live in one array: the atoms of cell c are
// atom indices 8c .. 8c + 7 (cellAtom(c, n)), so an atom's cell and number follow from its
// index. The fixed rim atoms that the wet etch adds ("boundary atoms") follow after
// them, from index cellAtomCount() on; they have no cell. Bond slots hold atom indices
// (SiAtom::none for no atom). Adding or dropping boundary atoms never moves a cell atom.
//
// Reading the lattice (for drawing): iterate c over the cells, n over 0..7, take
// atom(cellAtom(c, n)); positions come from atomPosition(), bond ends from
// atom(...).neighbours[slot] or bondEnd() when the neighbour has no cell.
class SiLattice
{
public:
    using Point = SiCell::Point;

    static constexpr float latticeConstant = 1.4f;
    static constexpr uint32_t noCell = 0xFFFFFFFFu;

    // The unit cell turned by 45 degrees about z, in world axes: atom offsets from the
    // cell's origin, the eight cube corners (for outlines), and the bond vectors of the
    // two sublattices per slot.
    struct Template
    {
        std::array<Point, 8> atomOffsets;
        std::array<Point, 8> cubeCorners;
        std::array<Point, 4> bondsA;
        std::array<Point, 4> bondsB;
    };

    explicit SiLattice(TotalVolume *volume);

    SiLattice(const SiLattice &) = delete;
    SiLattice &operator=(const SiLattice &) = delete;

    // Builds the lattice from the volume's current cells and sets every cell's count to
    // the number of silicon atoms in it. Locks the volume's voxels itself, so the caller
    // must not hold them. Throws std::bad_alloc or std::length_error when the lattice of
    // this volume cannot be held.
    void initialize();
    TotalVolume *getVolume() const { return volume; }

    uint32_t getCountI() const { return countI; }
    uint32_t getCountJ() const { return countJ; }
    uint32_t getCountK() const { return countK; }
    Point getLatticeOrigin() const { return latticeOrigin; }
    const Template &cellTemplate() const { return rotatedTemplate; }

    // Stored unit cells, in key order.
    size_t cellCount() const { return cells.size(); }
    const SiCell &cell(size_t c) const { return cells[c]; }
    uint32_t cellKey(uint32_t i, uint32_t j, uint32_t k) const { return k + (j + i * countJ) * countK; }
    void cellCoordinates(size_t c, uint32_t *i, uint32_t *j, uint32_t *k) const;
    // The stored cell (i, j, k), or noCell.
    uint32_t findCell(int64_t i, int64_t j, int64_t k) const;
    // World position of unit cell (i, j, k)'s corner, stored or not.
    Point cellOrigin(int64_t i, int64_t j, int64_t k) const;

    // Atoms: cell atoms first, then boundary atoms.
    size_t atomCount() const { return atoms.size() + boundary.size(); }
    size_t cellAtomCount() const { return atoms.size(); }
    size_t boundaryAtomCount() const { return boundary.size(); }
    static uint32_t cellAtom(size_t c, int number) { return static_cast<uint32_t>(c * 8 + number); }
    bool hasCell(uint32_t a) const { return a < atoms.size(); }
    // The atom's cell, or noCell for a boundary atom.
    uint32_t cellOf(uint32_t a) const { return hasCell(a) ? a / 8 : noCell; }
    // Number 0..7 of a cell atom within its cell.
    static int atomNumber(uint32_t a) { return static_cast<int>(a & 7u); }

    const SiAtom &atom(uint32_t a) const { return a < atoms.size() ? atoms[a] : boundary[a - atoms.size()]; }
    SiAtom &atom(uint32_t a) { return a < atoms.size() ? atoms[a] : boundary[a - atoms.size()]; }
    // State of the atom with index a; boundary atoms are always fixed.
    uint8_t stateOf(uint32_t a) const { return a < atoms.size() ? atoms[a].state : uint8_t(AtomFixed); }
    bool isSublatticeA(uint32_t a) const;

    // Cell origin plus the rotated template offset; (0, 0, 0) for a boundary atom.
    Point atomPosition(uint32_t a) const;
    // atomPosition plus the rotated bond vector of the atom's sublattice and slot.
    Point bondEnd(uint32_t a, int slot) const;
    // 4 for a fixed atom; otherwise the slots holding an atom that is not absent.
    // Inline: the wet etches count bonds in their inner loops.
    unsigned bondedCount(uint32_t a) const
    {
        const SiAtom &x = atom(a);
        return x.state == AtomFixed ? 4 : heldSlots(x);
    }
    // Slots of x holding an atom that is not absent, whatever x's own state.
    unsigned heldSlots(const SiAtom &x) const
    {
        unsigned n = 0;
        for (uint32_t b : x.neighbours)
            n += b != SiAtom::none && stateOf(b) != AtomAbsent;
        return n;
    }
    // Over the slots: a present neighbour adds its bondedCount() - 1, a fixed one 3.
    unsigned secondNeighbourSum(uint32_t a) const
    {
        unsigned sum = 0;
        for (uint32_t b : atom(a).neighbours) {
            if (b == SiAtom::none)
                continue;
            const uint8_t s = stateOf(b);
            if (s == AtomPresent)
                sum += bondedCount(b) - 1;
            else if (s == AtomFixed)
                sum += 3;
        }
        return sum;
    }
    // Some slot is empty or holds an absent atom.
    bool isSurfaceAtom(uint32_t a) const;
    // Linear index of the cell holding the lattice site at the far end of the bond, or
    // -1 (outside the volume, a slot outside 0..3, or an atom without a cell). The site
    // is located in the neighbouring unit cell and classified exactly as atoms are when
    // the lattice is built, so it agrees with the atom that would stand there.
    int neighbourVoxelIndex(uint32_t a, int slot) const;

    // Sets a's slot to b and b's slot 3 - slot to a; a slot outside 0..3 links nothing.
    void link(uint32_t a, int slot, uint32_t b);
    // Adds a fixed atom without a cell at a's slot (linked both ways); returns its index.
    uint32_t addBoundaryAtom(uint32_t a, int slot);
    void reserveBoundaryAtoms(size_t n) { boundary.reserve(boundary.size() + n); }
    // Drops every boundary atom and empties the slots that pointed to them.
    void clearBoundaryAtoms();

    // Bytes held by the lattice and all its containers.
    size_t memoryBytes() const;

    // The far end of the bond at `slot` of atom `number` of a unit cell: the offset of
    // the unit cell it lies in and the atom's number there.
    struct FarEnd
    {
        int8_t di, dj, dk, number;
    };
    static const FarEnd &farEnd(int number, int slot);

private:
    // Cell index of a point, or -1 outside the volume (classification of the build).
    int voxelIndexAt(const Point &p) const;
    void buildTemplate();
    void linkCells();

    TotalVolume *volume;
    uint32_t sizeX = 0;
    uint32_t sizeY = 0;
    uint32_t sizeZ = 0;
    float cellSizeX = 1.0f;
    float cellSizeY = 1.0f;
    float cellSizeZ = 1.0f;
    Util::Vector3D position;
    Point latticeOrigin{{0.0f, 0.0f, 0.0f}};
    uint32_t countI = 0;
    uint32_t countJ = 0;
    uint32_t countK = 0;
    Template rotatedTemplate{};

    std::vector<SiCell> cells;
    // First stored cell of column (i, j) at columnStart[i * countJ + j]; one extra entry.
    std::vector<uint32_t> columnStart;
    std::vector<SiAtom> atoms;
    std::vector<SiAtom> boundary;
};

} // namespace Automaton
} // namespace Model
