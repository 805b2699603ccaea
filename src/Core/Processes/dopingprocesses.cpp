#include "Core/Processes/processregistry.h"

#include "Core/Operations/DopingOperation/ionimplantation.h"
#include "Core/Operations/DopingOperation/simpledoping.h"

namespace Core {
namespace Processes {

using namespace Core::Operations;

namespace {

const QString keyDopant = QStringLiteral("Doped Material");

ParameterField dopant()
{
    ParameterField f;
    f.key = keyDopant;
    f.type = ValueType::Material;
    f.label = QStringLiteral("Doped Material");
    f.materials = MaterialChoice::Dopant;
    return f;
}

// A length in units below or around the surface: 0 to 1e9, of 0 or more in a list.
ParameterField length(const QString &key, double defaultValue, int decimals, const char *help, const char *refusal)
{
    ParameterField f;
    f.key = key;
    f.type = ValueType::Float;
    f.unit = QStringLiteral("units");
    f.defaultValue = defaultValue;
    f.minimum = 0.0;
    f.maximum = 1e9;
    f.decimals = decimals;
    f.label = key;
    f.help = QString::fromLatin1(help);
    f.rule = ListRule::NotNegative;
    f.refusal = QString::fromLatin1(refusal);
    return f;
}

ProcessDescriptor doping()
{
    const QString depth = QStringLiteral("Doping Depth");
    ProcessDescriptor d;
    d.menuText = QStringLiteral("Doping");
    d.statusTip = QStringLiteral("Simulate P and N type doping of Si substrates.");
    d.consoleName = d.menuText;
    d.listName = d.menuText;
    d.editorName = d.menuText;
    d.editorRank = 4;
    d.snapshotKey = QStringLiteral("Doping");
    d.operationNumber = 17;
    d.recordedNumber = 17;
    d.batchRecordedNumber = 17;
    d.batchType = 8;
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
    ProcessDescriptor d;
    d.menuText = QStringLiteral("Ion Implantation");
    d.consoleName = d.menuText;
    d.listName = d.menuText;
    d.editorName = d.menuText;
    d.editorRank = 6;
    d.snapshotKey = QStringLiteral("IonImplantation");
    d.operationNumber = 3;
    d.recordedNumber = 3;
    d.batchRecordedNumber = 3;
    d.batchType = 14;
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

} // namespace

void addDopingProcesses(std::vector<ProcessDescriptor> &processes)
{
    processes.push_back(doping());
    processes.push_back(ionImplantation());
}

} // namespace Processes
} // namespace Core
