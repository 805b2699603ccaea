#pragma once

#include <QString>
#include <QStringList>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// The 3-D exports of a cell volume, chosen by the file's suffix: ".vti" writes VTK
// image data (VtkImageDataWriter), ".stl" the surface the view shows as binary STL
// (StlSurfaceWriter), in one file or one per material.
class VolumeExport3D
{
public:
    enum class Format { Unknown, ImageData, Stl };

    // By suffix, in any case.
    static Format formatOf(const QString &fileName);
    // Why `fileName` and `perMaterial` cannot be exported, or empty when they can.
    static QString usageError(const QString &fileName, bool perMaterial);

    // Writes the export; `written` receives the files written. Takes the volume's voxel
    // mutex itself. False with `error` set (existing files keep their contents).
    static bool write(Model::Automaton::TotalVolume &volume, const QString &fileName, bool perMaterial,
                      QStringList *written, QString *error);
};

} // namespace Operations
} // namespace Core
