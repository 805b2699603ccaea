#include "Core/Processes/processregistry.h"

#include "Core/Operations/DopingOperation/ionimplantation.h"
#include "Core/Operations/DopingOperation/simpledoping.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"
#include "Core/Operations/SiOxidation/simplesioxidation.h"

#include <optional>

namespace Core {
namespace Processes {

using namespace Core::Operations;

namespace {

// Constant-initialised, so the registry may be built from any static initialiser.
const QLatin1String keyDopant("Doped Material");

ParameterField dopant() { return materialField(keyDopant, QStringLiteral("Doped Material"), MaterialChoice::Dopant); }

// A length in units below or around the surface, its label its list name.
ParameterField length(const QString &key, double defaultValue, int decimals, const char *help, const char *refusal)
{
    return lengthField(key, key, defaultValue, decimals, QString::fromLatin1(refusal))
        .withHelp(QString::fromLatin1(help));
}

ProcessDescriptor doping()
{
    const QString depth = QStringLiteral("Doping Depth");
    ProcessDescriptor d = describe(QStringLiteral("Doping"), QStringLiteral("Doping"),
                                   QStringLiteral("Doping"), 17, 8, QStringLiteral("Doping"));
    d.toolTip = QStringLiteral("Dope a Si Simulate P and N type doping of Si substrates..");
    d.statusTip = QStringLiteral("Simulate P and N type doping of Si substrates.");
    d.editorRank = 4;
    d.catalogueId = 13;
    d.silicon = SiliconEffect::Always;
    d.fields = {length(depth, 10.0, 4, "Cells of a dopable material within this distance of the surface take the dopant.",
                       "the doping depth must be a number of 0 or more"),
                dopant()};
    d.run = [depth](ProcessTarget &t, const ParameterSet &v) {
        SimpleDoping(&t.volume, v.material(keyDopant), v.real(depth)).simulate();
    };
    return d;
}

ProcessDescriptor ionImplantation()
{
    const QString annealing = QStringLiteral("Annealing Distance");
    const QString depth = QStringLiteral("Implantation Depth");
    const QString spread = QStringLiteral("Vertical Spread");
    const char *const refusal = "the depth, spread and annealing distance must be numbers of 0 or more";
    ProcessDescriptor d = describe(QStringLiteral("Ion Implantation"), QStringLiteral("Ion Implantation"),
                                   QStringLiteral("Ion Implantation"), 3, 14, QStringLiteral("IonImplantation"));
    d.editorRank = 6;
    d.catalogueId = 15;
    d.silicon = SiliconEffect::Always;
    d.fields = {length(annealing, 10.0, 2, "How far the dopant spreads from the implanted band while annealing.", refusal),
                length(depth, 50.0, 2, "Depth of the implanted band's centre below the top surface.", refusal),
                dopant(),
                length(spread, 20.0, 2, "How far the implanted band reaches above and below its centre.", refusal)};
    d.dialogOrder = {depth, spread, annealing, keyDopant};
    d.run = [=](ProcessTarget &t, const ParameterSet &v) {
        IonImplantation(&t.volume, v.material(keyDopant), v.real(depth), v.real(spread), v.real(annealing)).simulate();
    };
    return d;
}

// A number of the oxidation's dialog: its range, default, decimals and unit.
ParameterField oxidationNumber(const char *key, const char *label, double minimum, double maximum,
                               double defaultValue, int decimals, const char *unit, const char *help = "")
{
    return numberField(QString::fromLatin1(key), ValueType::Double, QString::fromLatin1(label),
                       QString::fromLatin1(unit), defaultValue, minimum, maximum, decimals)
        .withRule(ListRule::NotNegative, QString())
        .withHelp(QString::fromLatin1(help));
}

ProcessDescriptor siOxidation()
{
    const QString byTime = QStringLiteral("OxidationTimeSet");
    const QString conversion = QStringLiteral("Micron Conversion");
    const QString pressure = QStringLiteral("Oxidation Pressure");
    const QString temperature = QStringLiteral("Oxidation Temperature");
    const QString time = QStringLiteral("Oxidation Time");
    const QString thickness = QStringLiteral("Oxidation Thickness");
    ProcessDescriptor d = describe(QStringLiteral("Si Oxidation"), QStringLiteral("Simple Si Oxidation"),
                                   QStringLiteral("Si Oxidation"), 26, 15, QStringLiteral("SiOxidation"));
    d.editorName = QStringLiteral("Thermal Oxidation");
    d.editorRank = 19;
    d.dialogTitle = QStringLiteral("Si Oxidation Options");
    d.silicon = SiliconEffect::Always;

    // Either the oxide thickness, or the time, temperature and pressure of a dry
    // oxidation (Deal-Grove).
    const ParameterField choice =
        numberField(byTime, ValueType::Bool, QStringLiteral("Oxidation Time"), QString(), 0.0, 0.0, 1.0, 0);
    ParameterField conversionField = oxidationNumber(
        "Micron Conversion", "Cell units per micron", 0.01, 1e9, 100.0, 2, "",
        "Conversion between cell units and microns. Si cells are approximately 1.0 x 1.0 x 0.35 units.");
    conversionField.rule = ListRule::Positive;
    conversionField.refusal = QStringLiteral("the micron conversion must be a positive number");
    conversionField.checkedLast = true;
    const char *const timeRefusal = "the time, temperature and pressure must be numbers of 0 or more";
    std::vector<ParameterField> timed = {
        oxidationNumber("Oxidation Pressure", "Pressure", 0.0, 1.0, 1.0, 2, "atm", "Oxygen pressure of the dry oxidation."),
        oxidationNumber("Oxidation Temperature", "Temperature", 0.0, 2000.0, 1273.0, 1, "K"),
        oxidationNumber("Oxidation Time", "Time", 0.0, 1000.0, 2.0, 2, "hours")};
    ParameterField thicknessField =
        oxidationNumber("Oxidation Thickness", "Oxide thickness", 0.0, 100000.0, 10.0, 4, "microns",
                        "Thickness of the grown oxide; 44 % of it lies below the former surface.");
    thicknessField.refusal = QStringLiteral("the oxide thickness must be a number of 0 or more");
    thicknessField.onlyWhen = byTime;
    thicknessField.onlyWhenValue = false;
    d.fields = {choice, conversionField};
    for (ParameterField &f : timed) {
        f.refusal = QString::fromLatin1(timeRefusal);
        f.onlyWhen = byTime;
        f.onlyWhenValue = true;
        d.fields.push_back(f);
    }
    d.fields.push_back(thicknessField);
    d.dialogOrder = {thickness, byTime, time, temperature, pressure, conversion};
    // "OxidationThicknessSet" is the choice's complement, for the list's readers.
    d.listExtras = [byTime](const ParameterSet &v, ParameterSet &, ParameterSet &hidden) {
        hidden.set(QStringLiteral("OxidationThicknessSet"), !v.flag(byTime));
    };
    d.run = [=](ProcessTarget &t, const ParameterSet &v) {
        const double microns = v.flag(byTime)
                                   ? SimpleSiOxidation::dealGrove(v.number(time), v.number(temperature),
                                                                  v.number(pressure))
                                         .thickness
                                   : v.number(thickness);
        SimpleSiOxidation(&t.volume, v.number(conversion)).simulate(microns);
    };
    return d;
}

} // namespace

// Random-walk doping: its operation, dialog and step are its own (its values are checked
// together, and the operation says why it refuses them); they share its run. A run may be
// given a "Seed" beside the fields, which makes the walk repeatable; without one it is
// seeded from the clock.
ProcessDescriptor randomWalkDoping()
{
    ProcessDescriptor d = describe(QString(), QStringLiteral("Random Walk Doping"),
                                   QStringLiteral("Doping (Random Walk CA)"), 36, 19, QStringLiteral("RandomWalkDoping"));
    d.editorName = d.listName;
    d.editorRank = 20;
    d.pythonName = QStringLiteral("random_walk_doping");
    d.dialogTitle = QStringLiteral("Random Walk Doping Options");
    d.silicon = SiliconEffect::Always;
    d.generic = false;
    // In SI units, in the order a list step reads them. The defaults move half the
    // particles each step (D x dt x 6 / h^2 = 0.5); the threshold is 10 % of the surface
    // concentration.
    const auto number = [](const char *key, const char *unit, double defaultValue, const char *help = "") {
        return numberField(QString::fromLatin1(key), ValueType::Float, QString::fromLatin1(key),
                           QString::fromLatin1(unit), defaultValue, 0.0, 1e120, 6)
            .withHelp(QString::fromLatin1(help));
    };
    d.fields = {number("Cell Size", "m", 1e-7),
                number("Time Step Duration", "s", 320.5128205128206),
                number("Diffusion Coefficient", "m2/s", 2.6e-18,
                       "Diffusion coefficient of the dopant in silicon at the process temperature."),
                materialField(QStringLiteral("Material"), QStringLiteral("Dopant"), MaterialChoice::Any),
                number("Doping Time", "s", 3600.0),
                number("Doping Threshold", "m-3", 1e-10,
                       "Cells whose concentration exceeds this become the dopant material."),
                number("Surface Concentration", "m-3", 1e-9,
                       "Dopant concentration at the surface, held for the whole doping time.")};
    d.run = [](ProcessTarget &t, const ParameterSet &v) {
        const std::optional<uint32_t> seed =
            v.has(QStringLiteral("Seed")) ? std::optional<uint32_t>(v.count(QStringLiteral("Seed"))) : std::nullopt;
        Operations::RandomWalkDoping doping(&t.volume, v.material(QStringLiteral("Material")),
                                            v.real(QStringLiteral("Diffusion Coefficient")), v.real(QStringLiteral("Cell Size")),
                                            v.real(QStringLiteral("Time Step Duration")),
                                            v.real(QStringLiteral("Surface Concentration")),
                                            v.real(QStringLiteral("Doping Threshold")), seed);
        doping.dope(v.real(QStringLiteral("Doping Time")));
    };
    return d;
}

void addDopingProcesses(std::vector<ProcessDescriptor> &processes)
{
    processes.push_back(doping());
    processes.push_back(ionImplantation());
    processes.push_back(siOxidation());
    processes.push_back(randomWalkDoping());
}

} // namespace Processes
} // namespace Core
