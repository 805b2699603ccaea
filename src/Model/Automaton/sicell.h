#pragma once

#include <array>
#include <cstdint>

namespace Model {
namespace Automaton {

// One diamond-cubic unit cell of the lattice. Its eight atoms are not stored here: they
// are atoms 8c .. 8c + 7 of the lattice, c being the cell's position in the lattice's
// cell list, numbered as in the unit-cell template. Atoms 0, 1, 4, 5 form sublattice A,
// atoms 2, 3, 6, 7 sublattice B; every bond joins an A atom to a B atom.
struct SiCell
{
    using Point = std::array<float, 3>;

    // World position of the cell's corner (atom 0), after the lattice's rotation.
    Point origin{{0.0f, 0.0f, 0.0f}};
    // k + (j + i * countJ) * countK for unit cell (i, j, k); cells are kept in key order.
    uint32_t key = 0;

    // Turns `origin` about the x, then y, then z axis by angles in degrees (an angle of
    // magnitude at most 1e-6 is skipped).
    void rotate(double ax, double ay, double az);
    void translate(const Point &v);

    static bool isSublatticeA(int atomNumber) { return (atomNumber & 2) == 0; }
    // Rotates one point the way rotate() turns a cell's origin.
    static Point rotated(const Point &p, double ax, double ay, double az);
};

} // namespace Automaton
} // namespace Model
