#include "Core/Processes/processregistry.h"

#include "Util/enumnumbers.h"

#include "Core/Operations/ColumnPass/columnpass.h"
#include "Core/Operations/Planarization/planarization.h"
#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetching.h"
#include "Core/Operations/SpinCoating/spincoating.h"

namespace Core {
namespace Processes {

using namespace Core::Operations;

namespace {

// Constant-initialised, so the registry may be built from any static initialiser.
const QLatin1String keyMaterial("Material");
const QLatin1String keyMaximumHeight("Maximum Height");

ProcessDescriptor column(const char *menuText, const char *consoleName, const char *listName, int32_t operation,
                         int32_t batchType, const char *snapshotKey)
{
    return describe(QString::fromLatin1(menuText), QString::fromLatin1(consoleName), QString::fromLatin1(listName),
                    operation, batchType, QString::fromLatin1(snapshotKey));
}

// A height or depth in whole cells, as lists store it.
ParameterField cells(const QString &key, const QString &label, const char *unit, double minimum, double defaultValue)
{
    return numberField(key, ValueType::UInt, label, QString::fromLatin1(unit), defaultValue, minimum, 999999999.0, 0);
}

ParameterField anyMaterial(const QString &label) { return materialField(keyMaterial, label, MaterialChoice::Any); }

void volumeHeight(Model::Automaton::TotalVolume &volume, ParameterSet &facts)
{
    facts.set(VolumeFacts::height, volume.getSizeZ());
}

ProcessDescriptor planarization()
{
    const QString minimum = QStringLiteral("Minimum Height");
    ProcessDescriptor d = column("Planarization", "Planarization", "Planarization", 22, 6, "Planarization");
    d.dialogTitle = QStringLiteral("Planarization Options");
    d.canceledText = QStringLiteral(": Operation canceled!");
    ParameterField maximumField = cells(keyMaximumHeight, QStringLiteral("Maximum Height"), "cells", 0.0, 0.0);
    maximumField.help = QStringLiteral("All cells above this height will be removed.");
    ParameterField minimumField = cells(minimum, QStringLiteral("Minimum Height"), "cells", 0.0, 0.0);
    minimumField.help = QStringLiteral("All cells below this height will be removed.");
    d.fields = {maximumField, minimumField};
    d.dialogOrder = {minimum, keyMaximumHeight};
    // Whatever silicon was cut away, the lattice no longer matches the cells.
    d.silicon = SiliconEffect::Always;
    d.volumeFacts = volumeHeight;
    d.run = [minimum](ProcessTarget &t, const ParameterSet &v) {
        Planarization(&t.volume, v.count(keyMaximumHeight), v.count(minimum)).run();
    };
    return d;
}

ProcessDescriptor pourMaterial()
{
    ProcessDescriptor d = column("Pour Material", "Spin Coating", "Spin Coating", 23, 9, "SpinCoating");
    d.dialogTitle = QStringLiteral("Pour Material Options");
    d.fields = {cells(keyMaximumHeight, QStringLiteral("Deposition Height"), "cells", 0.0, 0.0),
                anyMaterial(QStringLiteral("Material"))};
    d.dialogOrder = {keyMaterial, keyMaximumHeight};
    // Pouring silicon adds silicon the lattice was not built from.
    d.silicon = SiliconEffect::WhenMaterialIsSilicon;
    d.writtenMaterial = keyMaterial;
    d.volumeFacts = [](Model::Automaton::TotalVolume &volume, ParameterSet &facts) {
        volumeHeight(volume, facts);
        facts.set(VolumeFacts::materialTop, filledHeight(volume));
    };
    d.run = [](ProcessTarget &t, const ParameterSet &v) {
        SpinCoating(&t.volume, v.material(keyMaterial), v.count(keyMaximumHeight)).run();
    };
    return d;
}

// "Etch Direction" names the checked faces in the dialog's words.
QString etchDirectionText(uint32_t directions)
{
    static const char *const texts[4] = {"None", "Etch from top", "Etch from below", "Etch from top and below"};
    return QString::fromLatin1(texts[directions & 3]);
}

ProcessDescriptor simpleRie()
{
    const QString depth = QStringLiteral("Etch Depth");
    const QString directions = QStringLiteral("EtchDirectionValue");
    ProcessDescriptor d = column("Simple RIE", "Simple RIE", "Simple RIE", 30, 13, "SimpleRIE");
    d.editorName = QStringLiteral("RIE");
    d.dialogTitle = QStringLiteral("Simple RIE Options");
    ParameterField directionField;
    directionField.key = directions;
    directionField.type = ValueType::UInt;
    directionField.defaultValue = Util::toNumber(EtchDirections::FromTop);
    directionField.minimum = 0.0;
    directionField.maximum = 3.0;
    directionField.decimals = 0;
    directionField.label = QStringLiteral("Etch direction");
    directionField.pythonName = QStringLiteral("etch_direction");
    directionField.help = QStringLiteral("1: from the top, 2: from below, 3: from both faces.");
    directionField.rule = ListRule::Range;
    directionField.ruleMinimum = 0.0;
    directionField.ruleMaximum = 3.0;
    directionField.refusal = QStringLiteral("the etch direction must be 0 (none), 1 (top), 2 (below) or 3 (both)");
    // A list without it etches from the top.
    directionField.optional = true;
    d.fields = {anyMaterial(QStringLiteral("Select Material")),
                cells(depth, QStringLiteral("Etch Depth"), "units", 1.0, 1.0).withPythonName(QStringLiteral("depth")),
                directionField};
    d.dialogOrder = {depth, keyMaterial};
    d.silicon = SiliconEffect::WhenMaterialIsSilicon;
    d.writtenMaterial = keyMaterial;
    // "Bottom" (from below) and "and" (both faces) repeat the choice as flags for the
    // list's readers, hidden.
    d.listExtras = [directions](const ParameterSet &v, ParameterSet &shown, ParameterSet &hidden) {
        const uint32_t bits = v.count(directions);
        shown.set(QStringLiteral("Etch Direction"), etchDirectionText(bits));
        hidden.set(QStringLiteral("Bottom"), (bits & 2) != 0);
        hidden.set(QStringLiteral("and"), bits == 3);
    };
    d.run = [=](ProcessTarget &t, const ParameterSet &v) {
        SimpleReactiveIonEtching(&t.volume, v.material(keyMaterial), v.count(depth),
                                 Util::fromNumber(v.count(directions), etchDirectionChoices).value_or(EtchDirections::None))
            .run();
    };
    return d;
}

} // namespace

void addColumnProcesses(std::vector<ProcessDescriptor> &processes)
{
    processes.push_back(planarization());
    processes.back().editorRank = 12;
    processes.push_back(pourMaterial());
    processes.back().editorRank = 13;
    processes.push_back(simpleRie());
    processes.back().editorRank = 15;
}

} // namespace Processes
} // namespace Core
