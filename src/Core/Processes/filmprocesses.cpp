#include "Core/Processes/processregistry.h"

#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdeposition.h"
#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetching.h"
#include "Core/Operations/Electrodeposition/electrodeposition.h"
#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdeposition.h"
#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetching.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhooddeposition.h"
#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetching.h"
#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordeposition.h"
#include "Util/enumnumbers.h"

namespace Core {
namespace Processes {

using namespace Core::Operations;

namespace {

// Constant-initialised, so the registry may be built from any static initialiser.
const QLatin1String keyMaterial("Material");
const QLatin1String keyRatio("Horizontal to Vertical Ratio");

ParameterField material(const QString &word, const QString &label, MaterialChoice choice)
{
    return materialField(word, label, choice);
}

// A thickness or depth, 10 units unless set.
ParameterField length(const QString &key, const QString &label, const char *refusal,
                      ValueType type = ValueType::Float)
{
    return lengthField(key, label, 10.0, 2, QString::fromLatin1(refusal), type);
}

// Lateral growth or etch per unit of vertical growth or etch.
ParameterField ratio(double minimum, ValueType type = ValueType::Float, const char *refusal = "")
{
    return numberField(keyRatio, type, QStringLiteral("Horizontal ratio"), QString(), 0.5, minimum, 1e9, 3)
        .withRule(ListRule::Finite, QString::fromLatin1(refusal))
        .withHelp(QStringLiteral("Lateral growth or etch per unit of vertical growth or etch."));
}

// A Moore count of cells; a list may hold a fraction, which the run drops.
ParameterField cells(const QString &key, const QString &label)
{
    ParameterField f = numberField(key, ValueType::Float, label, QStringLiteral("cells"), 1.0, 1.0, 999999999.0, 0)
                           .withRule(ListRule::Range,
                                     QStringLiteral("the number of cells must lie between 0 and 999999999"));
    f.ruleMinimum = 0.0;
    f.ruleMaximum = 999999999.0;
    return f;
}

ProcessDescriptor film(const char *menuText, const char *consoleName, const char *listName, int32_t operation,
                       int32_t recorded, int32_t batchType, int32_t catalogueId, const char *snapshotKey)
{
    ProcessDescriptor d = describe(QString::fromLatin1(menuText), QString::fromLatin1(consoleName),
                                   QString::fromLatin1(listName), operation, batchType, QString::fromLatin1(snapshotKey));
    d.recordedNumber = recorded;
    d.batchRecordedNumber = recorded;
    d.catalogueId = catalogueId;
    d.silicon = SiliconEffect::WhenMaterialIsSilicon;
    d.writtenMaterial = keyMaterial;
    return d;
}

const char *const lengthRefusal = "the thickness or depth must be a number of 0 or more";

ProcessDescriptor isotropicDeposition(const char *menuText, int32_t operation, int32_t batchType,
                                      int32_t catalogueId, const QString &thicknessKey)
{
    ProcessDescriptor d = film(menuText, menuText, menuText, operation, 13, batchType, catalogueId,
                               "IsotropicDeposition");
    d.dialogTitle = QStringLiteral("Isotropic Film Deposition");
    d.fields = {material(keyMaterial, QStringLiteral("Material"), MaterialChoice::Process),
                length(thicknessKey, QStringLiteral("Film thickness"), lengthRefusal)};
    d.dialogOrder = {thicknessKey, keyMaterial};
    d.run = [thicknessKey](ProcessTarget &t, const ParameterSet &v) {
        IsotropicFilmDeposition(&t.volume, v.material(keyMaterial), v.real(thicknessKey)).simulate();
    };
    return d;
}

template <class Automaton>
ProcessDescriptor moore(const char *menuText, const char *listName, int32_t operation, int32_t batchType,
                        const QString &countKey, const QString &label)
{
    ProcessDescriptor d = film(menuText, "Moore film deposition", listName, operation, operation, batchType, -1,
                               "MooreFilmDep");
    d.dialogTitle = QStringLiteral("Operation Options");
    d.fields = {material(keyMaterial, QStringLiteral("Select Film"), MaterialChoice::Any), cells(countKey, label)};
    d.dialogOrder = {countKey, keyMaterial};
    d.run = [countKey](ProcessTarget &t, const ParameterSet &v) {
        Automaton(&t.volume, v.material(keyMaterial), static_cast<int32_t>(v.real(countKey))).run();
    };
    return d;
}

template <class Automaton>
ProcessDescriptor anisotropic(const char *menuText, int32_t operation, int32_t batchType, int32_t catalogueId,
                              const char *snapshotKey, const QString &lengthKey, const QString &label)
{
    ProcessDescriptor d =
        film(menuText, menuText, menuText, operation, 13, batchType, catalogueId, snapshotKey);
    d.batchRecordedNumber = operation;
    d.fields = {ratio(0.0), material(keyMaterial, QStringLiteral("Material"), MaterialChoice::Process),
                length(lengthKey, label, lengthRefusal)};
    d.dialogOrder = {lengthKey, keyRatio, keyMaterial};
    d.run = [lengthKey](ProcessTarget &t, const ParameterSet &v) {
        Automaton(&t.volume, v.material(keyMaterial), v.real(lengthKey), v.real(keyRatio)).simulate();
    };
    return d;
}

ProcessDescriptor electroplating()
{
    const QString thickness = QStringLiteral("Film Thickness");
    const QString conducting = QStringLiteral("Conducting Material");
    const QString deposited = QStringLiteral("Deposited Material");
    ProcessDescriptor d = film("Electroplating", "Electroplating", "Electroplating", 15, 15, 7, -1, "Electroplating");
    d.toolTip = QStringLiteral("Simulates an electrodeposition of a metal over another conductor.");
    d.statusTip = d.toolTip;
    d.dialogTitle = QStringLiteral("Electroplating Options");
    d.writtenMaterial = deposited;
    d.fields = {length(thickness, QStringLiteral("Film thickness"), "the thickness must be a number of 0 or more"),
                material(conducting, QStringLiteral("Conducting Material"), MaterialChoice::Any),
                material(deposited, QStringLiteral("Material"), MaterialChoice::Any)};
    d.dialogOrder = {thickness, deposited, conducting};
    d.run = [=](ProcessTarget &t, const ParameterSet &v) {
        Electrodeposition(&t.volume, v.material(deposited), v.material(conducting), v.real(thickness)).simulate();
    };
    return d;
}

// "Deposit On" repeats the side in words for the list's readers.
QString depositOnText(int side)
{
    switch (side) {
    case 1:
        return QStringLiteral("On Top");
    case 2:
        return QStringLiteral("On Bottom");
    case 3:
        return QStringLiteral("On Top and Bottom");
    default:
        return QString();
    }
}

ProcessDescriptor pvd()
{
    const QString thickness = QStringLiteral("Thickness");
    const QString side = QStringLiteral("DepositOn");
    ProcessDescriptor d = film("PVD", "Isotropic Deposition", "PVD", 31, 13, 12, 4, "IsotropicDeposition");
    d.batchRecordedNumber = 31;
    const char *const refusal = "the thickness and the ratio must be numbers, the thickness 0 or more";
    ParameterField sideField;
    sideField.key = side;
    sideField.type = ValueType::Int;
    sideField.defaultValue = 1.0;
    sideField.minimum = 1.0;
    sideField.maximum = 3.0;
    sideField.decimals = 0;
    sideField.label = QStringLiteral("Deposition side");
    sideField.help = QStringLiteral("1: on top, 2: on the bottom, 3: on both sides.");
    sideField.rule = ListRule::Range;
    sideField.ruleMinimum = 1.0;
    sideField.ruleMaximum = 3.0;
    sideField.refusal = QStringLiteral("the side must be 1 (top), 2 (bottom) or 3 (both)");
    d.fields = {material(keyMaterial, QStringLiteral("Material"), MaterialChoice::Process),
                length(thickness, QStringLiteral("Film thickness"), refusal, ValueType::Double),
                ratio(0.01, ValueType::Double, refusal), sideField};
    d.listExtras = [side](const ParameterSet &v, ParameterSet &shown, ParameterSet &) {
        shown.set(QStringLiteral("Deposit On"), depositOnText(v.integer(side)));
    };
    d.run = [=](ProcessTarget &t, const ParameterSet &v) {
        SimplePhysicalVaporDeposition(&t.volume, v.material(keyMaterial), v.real(thickness), v.real(keyRatio),
                                      Util::fromNumber(v.integer(side), depositOnSides).value_or(DepositOn::Top))
            .simulate();
    };
    return d;
}

} // namespace

QString pvdSideText(int side) { return depositOnText(side); }

void addFilmProcesses(std::vector<ProcessDescriptor> &processes)
{
    processes.push_back(isotropicDeposition("CVD", 33, 4, 3, QStringLiteral("Thickness")));
    processes.back().editorRank = 3;
    processes.back().toolTip = QStringLiteral("Run an isotropic film deposition simulation.");
    processes.back().statusTip = processes.back().toolTip;
    processes.push_back(isotropicDeposition("Isotropic Deposition", 13, 16, 18, QStringLiteral("Film Thickness")));
    processes.back().editorRank = 8;

    ProcessDescriptor etching = film("Isotropic Etching", "Isotropic Etching", "Isotropic etching", 14, 14, 5, 10,
                                     "IsotropicEtching");
    etching.toolTip = QStringLiteral("Run an isotropic film etching simulation.");
    etching.statusTip = etching.toolTip;
    etching.fields = {material(keyMaterial, QStringLiteral("Material"), MaterialChoice::Process),
                      length(QStringLiteral("Depth"), QStringLiteral("Etch Depth"), lengthRefusal)};
    etching.dialogOrder = {QStringLiteral("Depth"), keyMaterial};
    etching.run = [](ProcessTarget &t, const ParameterSet &v) {
        IsotropicFilmEtching(&t.volume, v.material(keyMaterial), v.real(QStringLiteral("Depth"))).simulate();
    };
    etching.editorRank = 7;
    processes.push_back(etching);

    processes.push_back(anisotropic<AnisotropicFilmDeposition>("Anisotropic Deposition", 27, 17, 16,
                                                               "AnisotropicDeposition", QStringLiteral("Film Thickness"),
                                                               QStringLiteral("Film thickness")));
    processes.back().editorRank = 0;
    processes.push_back(anisotropic<AnisotropicFilmEtching>("Anisotropic Etching", 32, 18, 17, "AnisotropicEtching",
                                                            QStringLiteral("Etch Depth"), QStringLiteral("Etch Depth")));
    processes.back().editorRank = 1;
    processes.push_back(moore<MooreNeighborhoodDeposition>("Moore Deposition", "Moore deposition", 18, 2,
                                                           QStringLiteral("Thickness"), QStringLiteral("Film Thickness")));
    processes.back().editorRank = 9;
    processes.push_back(moore<MooreNeighborhoodEtching>("Moore Etching", "Moore etching", 19, 3,
                                                        QStringLiteral("Depth"), QStringLiteral("Etch Depth")));
    processes.back().editorRank = 10;
    processes.push_back(electroplating());
    processes.back().editorRank = 5;
    processes.push_back(pvd());
    processes.back().editorRank = 14;

    // In Python every film's thickness is `thickness` and every etch's depth `depth`.
    for (ProcessDescriptor &process : processes)
        for (ParameterField &field : process.fields)
            if (field.key == QLatin1String("Film Thickness") || field.key == QLatin1String("Etch Depth"))
                field.pythonName = field.key == QLatin1String("Etch Depth") ? QStringLiteral("depth")
                                                                             : QStringLiteral("thickness");
}

} // namespace Processes
} // namespace Core
