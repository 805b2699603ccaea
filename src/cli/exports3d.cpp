#include "cli/exports3d.h"

#include "Core/Operations/ExportData/volumeexport3d.h"
#include "Model/Automaton/totalvolume.h"

#include <QCommandLineParser>

namespace Cli {

using Core::Operations::VolumeExport3D;

Exports3D::Exports3D()
    : exportOption(QStringLiteral("export"),
                   QStringLiteral("Write the final cell volume by suffix: FILE.vti as VTK image data (the material "
                                  "id of every cell), FILE.stl as binary STL of the surface the view shows (direct "
                                  "cubic or marching cubes, inside the cut box)."),
                   QStringLiteral("FILE")),
      perMaterialOption(QStringLiteral("per-material"),
                        QStringLiteral("With --export FILE.stl: one closed surface per material, written to "
                                       "FILE-<material name>.stl."))
{
}

void Exports3D::addTo(QCommandLineParser &parser) const { parser.addOptions({exportOption, perMaterialOption}); }

bool Exports3D::read(const QCommandLineParser &parser,
                     const WritableCheck &checkWritable, QString *error)
{
    exportPath = parser.value(exportOption);
    perMaterial = parser.isSet(perMaterialOption);
    if (exportPath.isEmpty()) {
        if (perMaterial) {
            *error = QStringLiteral("--per-material needs --export FILE.stl");
            return false;
        }
        return true;
    }
    const QString usage = VolumeExport3D::usageError(exportPath, perMaterial);
    if (!usage.isEmpty()) {
        *error = QStringLiteral("--export: ") + usage;
        return false;
    }
    QString reason;
    if (!checkWritable(exportPath, &reason)) {
        *error = QStringLiteral("cannot write the 3-D export: ") + reason;
        return false;
    }
    return true;
}

bool Exports3D::write(const std::shared_ptr<Model::Automaton::TotalVolume> &volume,
                      const Report &report) const
{
    if (exportPath.isEmpty())
        return true;
    QString error = QStringLiteral("there is no cell volume");
    QStringList written;
    if (volume && VolumeExport3D::write(*volume, exportPath, perMaterial, &written, &error))
        return true;
    report(QStringLiteral("cannot write the 3-D export %1: %2").arg(exportPath, error));
    return false;
}

} // namespace Cli
