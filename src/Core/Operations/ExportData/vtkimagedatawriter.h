#pragma once

#include <QString>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Writes a cell volume as VTK XML image data (.vti): one cell per volume cell, its
// material id as the cell array "material" (UInt16 when every id fits, else UInt32), the
// cell sizes as the spacing and the volume's position as the origin. Every cell is
// written, whatever the view's cut box hides. The values follow as one raw little-endian
// block in the appended section, x varying fastest, as VTK orders cells.
class VtkImageDataWriter
{
public:
    // Takes the volume's voxel mutex while it reads the cells (the caller must not hold
    // it). False with `error` set when the file cannot be written; an existing file of
    // that name is replaced only by a complete one.
    static bool write(Model::Automaton::TotalVolume &volume, const QString &fileName, QString *error);
};

} // namespace Operations
} // namespace Core
