#include "Core/Processes/processregistry.h"

#include "Core/Operations/CreateSubstrate/substrateparameters.h"
#include "Core/Operations/Photolithography/mask.h"
#include "Core/Operations/Photolithography/photolithography.h"

namespace Core {
namespace Processes {

using Core::Operations::SubstrateParameters;

namespace {

ParameterField field(const QString &key, ValueType type, const QString &label, double defaultValue = 0.0,
                     double minimum = 0.0, double maximum = 0.0, const QString &help = QString())
{
    if (type == ValueType::Material)
        return materialField(key, label, MaterialChoice::Any).withHelp(help);
    return numberField(key, type, label, QString(), defaultValue, minimum, maximum, 0).withHelp(help);
}

ProcessDescriptor named(const char *menuText, const char *listName, int32_t operation, int32_t batchType,
                        int32_t editorRank)
{
    ProcessDescriptor d = describe(QString::fromLatin1(menuText), QString::fromLatin1(listName),
                                   QString::fromLatin1(listName), operation, batchType, QString());
    d.editorName = d.listName;
    d.editorRank = editorRank;
    // Their own steps record nothing, unless a process says otherwise.
    d.batchRecordedNumber = -1;
    d.generic = false;
    return d;
}

// Makes a volume rather than changing one: its step and its operation are its own.
ProcessDescriptor createSubstrate()
{
    ProcessDescriptor d = named("Create Substrate", "Create Substrate", 2, 11, 2);
    d.toolTip = QStringLiteral("Create a substrate.");
    d.statusTip = QStringLiteral("This creates a simulation volume with a substrate inside.");
    d.dialogTitle = d.menuText;
    d.undoable = false;
    constexpr double large = 999999999.0;
    const QString volumeTip = QStringLiteral("Define the size of the total volume.");
    const QString sizeTip = QStringLiteral("Size of the substrate in cells.");
    const QString deltaTip = QStringLiteral("Location of the substrate relative to the total volume in cells.");
    const QString centreTip =
        QStringLiteral("Define the center position of the substrate relative to the total volume in cells.");
    const QString radiusTip = QStringLiteral("Define the radius of the substrate.");
    d.fields = {
        field(SubstrateParameters::keyMaterial, ValueType::Material, QStringLiteral("Substrate Material"), 0, 0, 0,
              QStringLiteral("Material the substrate will be composed of.")),
        field(SubstrateParameters::keyCorner, ValueType::Point, QStringLiteral("Volume Lower Left Front Corner"), 0,
              -1e9, 1e9, QStringLiteral("Define the position of the volume in the viewing space.")),
        field(SubstrateParameters::keyVolumeSizeX, ValueType::UInt, QStringLiteral("Length"), 100, 1, 10000, volumeTip),
        field(SubstrateParameters::keyVolumeSizeY, ValueType::UInt, QStringLiteral("Width"), 100, 1, 10000, volumeTip),
        field(SubstrateParameters::keyVolumeSizeZ, ValueType::UInt, QStringLiteral("Height"), 80, 1, 10000, volumeTip),
        field(SubstrateParameters::keySpherical, ValueType::Bool, QStringLiteral("Spherical Substrate"), 0, 0, 1,
              QStringLiteral("Create a spherical substrate.")),
        field(SubstrateParameters::keySubstrateSizeX, ValueType::UInt, QStringLiteral("Size"), 100, 1, large, sizeTip),
        field(SubstrateParameters::keySubstrateSizeY, ValueType::UInt, QStringLiteral("Size"), 100, 1, large, sizeTip),
        field(SubstrateParameters::keySubstrateSizeZ, ValueType::UInt, QStringLiteral("Size"), 30, 1, large, sizeTip),
        field(SubstrateParameters::keyDeltaX, ValueType::UInt, QStringLiteral("Lower Left Front Corner"), 0, 0, large,
              deltaTip),
        field(SubstrateParameters::keyDeltaY, ValueType::UInt, QStringLiteral("Lower Left Front Corner"), 0, 0, large,
              deltaTip),
        field(SubstrateParameters::keyDeltaZ, ValueType::UInt, QStringLiteral("Lower Left Front Corner"), 0, 0, large,
              deltaTip),
        field(SubstrateParameters::keyCentreX, ValueType::UInt, QStringLiteral("Center X"), 0, 0, large, centreTip),
        field(SubstrateParameters::keyCentreY, ValueType::UInt, QStringLiteral("Center Y"), 0, 0, large, centreTip),
        field(SubstrateParameters::keyCentreZ, ValueType::UInt, QStringLiteral("Center Z"), 0, 0, large, centreTip),
        field(SubstrateParameters::keyRadius, ValueType::UInt, QStringLiteral("Radius"), 50, 1, large, radiusTip),
    };
    return d;
}

// Exposes a resist through masks; reading the masks from a list (stored bits or a layout
// rasterised onto the volume met) is its step's own, the run is shared.
ProcessDescriptor photolithography()
{
    const QString material = QStringLiteral("Material");
    const QString top = QStringLiteral("Top Mask");
    const QString bottom = QStringLiteral("Bottom Mask");
    ProcessDescriptor d = named("Photolithography", "Photolithography", 20, 0, 11);
    d.dialogTitle = QStringLiteral("Photolithography Options");
    d.snapshotKey = QStringLiteral("Photolithography");
    d.batchRecordedNumber = 20;
    d.silicon = SiliconEffect::WhenMaterialIsSilicon;
    d.writtenMaterial = material;
    d.fields = {field(material, ValueType::Material, QStringLiteral("Material")),
                field(top, ValueType::Mask, QStringLiteral("Top Mask")),
                field(bottom, ValueType::Mask, QStringLiteral("Bottom Mask"))};
    d.run = [=](ProcessTarget &t, const ParameterSet &v) {
        Operations::Photolithography(&t.volume, v.material(material), v.value(bottom).value<Operations::Mask>(),
                                     v.value(top).value<Operations::Mask>())
            .run();
    };
    return d;
}

// Saves a picture of the view; a batch run's own step.
ProcessDescriptor saveImage()
{
    ProcessDescriptor d = named("", "Save Image", -1, 10, 16);
    d.dialogTitle = QStringLiteral("Save Image Options");
    d.undoable = false;
    ParameterField name = field(QStringLiteral("Filename"), ValueType::String, QStringLiteral("Image file"));
    name.help = QStringLiteral("The view is saved as this image when the step runs; without a file name the "
                               "view is only redrawn.");
    d.fields = {name};
    return d;
}

} // namespace

void addStructureProcesses(std::vector<ProcessDescriptor> &processes)
{
    processes.push_back(createSubstrate());
    processes.push_back(photolithography());
    processes.push_back(saveImage());
}

} // namespace Processes
} // namespace Core
