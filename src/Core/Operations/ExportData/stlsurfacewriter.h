#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Writes the surface of a cell volume's solid cells as binary STL, in model coordinates
// (the volume's position added). The cells are those the view shows: inside the
// painter's cut box and not hidden by a masked cut; a material's colour, transparent or
// not, does not take cells away. The surface is the one the view draws: marching cubes
// when the volume shows them, otherwise the direct cubic faces (which bound the same
// cells as the octree and field views, whose larger faces would not close).
//
// One file holds the boundary of all solid cells together. Per material, each material
// gets a closed surface of its own (two materials touching both have a face there) in
// the file <base>-<name>.stl, where <base> is the file name without ".stl" and <name>
// is the catalogue name with every run of characters other than ASCII letters, digits,
// '.', '-' and '_' made one '_' (none at the ends: "Al (bulk)" gives "Al_bulk"); a
// material missing from the catalogue, or whose name a material of lower id already
// took, is named by its id.
//
// Every triangle is wound counter-clockwise seen from outside, and its stored normal is
// the unit normal of that winding, pointing out of the solid.
class StlSurfaceWriter
{
public:
    enum class Surface { DirectCubic, MarchingCubes };

    // The surface the volume's view draws.
    static Surface surfaceShown(const Model::Automaton::TotalVolume &volume);

    // Writes `surface` to `fileName`, or one file per material named from it. Takes the
    // volume's voxel mutex itself (the caller must not hold it). `written` receives the
    // files written. False with `error` set when there is no solid cell to bound or a
    // file cannot be written; existing files are replaced only by complete ones.
    static bool write(Model::Automaton::TotalVolume &volume, const QString &fileName, Surface surface,
                      bool perMaterial, QStringList *written, QString *error);

    // The file name of one material's surface, as described above; `name` is the
    // material's catalogue name, empty when it has none.
    static QString materialFileName(const QString &fileName, const QString &name);
};

} // namespace Operations
} // namespace Core
