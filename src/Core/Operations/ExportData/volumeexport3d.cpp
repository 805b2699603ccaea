#include "Core/Operations/ExportData/volumeexport3d.h"

#include "Core/Operations/ExportData/stlsurfacewriter.h"
#include "Core/Operations/ExportData/vtkimagedatawriter.h"

#include <QFileInfo>

namespace Core {
namespace Operations {

VolumeExport3D::Format VolumeExport3D::formatOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("vti"))
        return Format::ImageData;
    if (suffix == QLatin1String("stl"))
        return Format::Stl;
    return Format::Unknown;
}

QString VolumeExport3D::usageError(const QString &fileName, bool perMaterial)
{
    switch (formatOf(fileName)) {
    case Format::Unknown:
        return QStringLiteral("the file name must end in .vti (VTK image data) or .stl (STL surface): %1")
            .arg(fileName);
    case Format::ImageData:
        if (perMaterial)
            return QStringLiteral("one file per material is for STL surfaces (.stl), not for VTK image data");
        return QString();
    case Format::Stl:
        return QString();
    }
    return QString();
}

bool VolumeExport3D::write(Model::Automaton::TotalVolume &volume, const QString &fileName, bool perMaterial,
                           QStringList *written, QString *error)
{
    written->clear();
    const QString usage = usageError(fileName, perMaterial);
    if (!usage.isEmpty()) {
        *error = usage;
        return false;
    }
    if (formatOf(fileName) == Format::ImageData) {
        if (!VtkImageDataWriter::write(volume, fileName, error))
            return false;
        written->append(fileName);
        return true;
    }
    return StlSurfaceWriter::write(volume, fileName, StlSurfaceWriter::surfaceShown(volume), perMaterial, written,
                                   error);
}

} // namespace Operations
} // namespace Core
