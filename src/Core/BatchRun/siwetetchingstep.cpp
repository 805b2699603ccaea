#include "Core/BatchRun/siwetetchingstep.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/AtomisticWetEtching/atomisticwetetch.h"
#include "Core/Operations/AtomisticWetEtching/siwetetchoperation.h"
#include "Core/Operations/ContinuousWetEtching/continuouswetetch.h"
#include "Model/Automaton/silattice.h"

#include <QtDebug>
#include <cmath>

namespace Core {
namespace BatchRun {

namespace {

// Both wet etches read one "Depth" and share the volume's lattice.
template <class Etch>
int32_t runWetEtch(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const float depth = read.toFloat(QStringLiteral("Depth"));
    if (read.result() != 0)
        return read.result();
    if (!std::isfinite(depth) || depth < 0.0f)
        return rejectStep(step, QStringLiteral("the depth must be a number of 0 or more"));
    if (StepParameters::checkOnly())
        return 0;
    Model::Automaton::TotalVolume &volume = *environment.volume;
    const int32_t id = volume.getId();
    Core::Operations::SiWetEtchOperation::refreshLattice(environment.latticeStale, volume);
    Etch(&volume, depth).run();
    environment.latticeStale[id] = false;
    return 0;
}

} // namespace

int32_t runSiWetEtchingStep(StepEnvironment &environment, const ProcessData &step)
{
    return runWetEtch<Core::Operations::AtomisticWetEtch>(environment, step);
}

int32_t runContinuousWetEtchingStep(StepEnvironment &environment, const ProcessData &step)
{
    return runWetEtch<Core::Operations::ContinuousWetEtch>(environment, step);
}

} // namespace BatchRun
} // namespace Core
