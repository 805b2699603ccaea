#include "Core/Processes/processregistry.h"

#include "Core/Operations/AtomisticWetEtching/atomisticwetetch.h"
#include "Core/Operations/ContinuousWetEtching/continuouswetetch.h"

namespace Core {
namespace Processes {

namespace {

const QLatin1String keyDepth("Depth");

// Both silicon wet etches work on the volume's lattice: rebuilt first when a process
// changed the volume's silicon since it was made (consecutive etches continue on the
// same atoms), and marked current after the run.
template <class Etch>
void runWetEtch(ProcessTarget &target, const ParameterSet &values)
{
    Model::Automaton::TotalVolume &volume = target.volume;
    const auto stale = target.latticeStale.find(volume.getId());
    if (stale == target.latticeStale.end() || stale->second || !volume.getLattice())
        volume.createLattice();
    Etch etch(&volume, values.number(keyDepth));
    etch.run();
    target.unseenChanges = etch.atomsRemoved();
    target.latticeStale[volume.getId()] = false;
}

template <class Etch>
ProcessDescriptor wetEtch(const char *menuText, const char *consoleName, const char *listName, int32_t operation,
                          int32_t batchType, int32_t editorRank, const char *pythonName)
{
    ProcessDescriptor d = describe(QString::fromLatin1(menuText), QString::fromLatin1(consoleName),
                                   QString::fromLatin1(listName), operation, batchType, QStringLiteral("SiWetEtch"));
    d.pythonName = QString::fromLatin1(pythonName);
    d.editorRank = editorRank;
    d.dialogTitle = QStringLiteral("Wet Etching Options");
    // The run keeps the lattice itself: it leaves it current, not stale.
    d.silicon = SiliconEffect::None;

    const ParameterField depth =
        lengthField(keyDepth, QStringLiteral("Etch Depth"), 10.0, 4, QStringLiteral("the depth must be a number of 0 or more"))
            .withHelp(QStringLiteral("Set the depth of the etching. This is how far down the (100) plane on the "
                                     "surface will be etched."));
    d.fields = {depth};
    d.run = &runWetEtch<Etch>;
    return d;
}

} // namespace

void addWetEtchProcesses(std::vector<ProcessDescriptor> &processes)
{
    processes.push_back(wetEtch<Operations::AtomisticWetEtch>("Si Wet Etching", "BCA Wet Etch", "Si wet etching", 28, 1, 17, "wet_etch"));
    processes.push_back(wetEtch<Operations::ContinuousWetEtch>("Si Wet Etching (CCA)", "Continuous Wet Etch",
                                                               "Si wet etching (CCA)", 29, 20, 18, "wet_etch_cca"));
}

} // namespace Processes
} // namespace Core
