#include "Core/Operations/ExportData/exportdataoperation.h"

#include "Core/Operations/ExportData/csvdataexporter.h"

namespace Core {
namespace Operations {

ExportDataOperation::ExportDataOperation(OperationContext &context) : ProcessOperation(context, "Export Data", 37)
{
}

QStringList ExportDataOperation::dataNames() const
{
    QStringList names;
    if (!volume)
        return names;
    for (const QString &name : volume->propertyNames())
        if (volume->particleField(name))
            names << name;
    return names;
}

void ExportDataOperation::end()
{
    if (!volumeChosen || !volume || !parametersComplete()) {
        cancel();
        return;
    }
    CSVDataExporter exporter(fileName);
    int result;
    {
        // The counts are read under the voxel mutex, as every writer of them holds it.
        Model::Automaton::VoxelLock lock(*volume);
        result = exporter.saveDataToFile(dataName, volume->particleField(dataName), volume->getSizeX(),
                                         volume->getSizeY(), volume->getSizeZ());
    }
    context.lastProcessByVolume[volume->getId()] = getTypeId();
    context.notifyUpdate();
    if (result == 0)
        context.showMessage(getName() + ":  data saved.");
    else
        context.showMessage(getName() + ": could not save \"" + dataName.toStdString() + "\" to " +
                            fileName.toStdString() + ": " + exporter.errorString().toStdString() + ".");
    context.interpreter.reset();
    context.finishOperation();
}

} // namespace Operations
} // namespace Core
