#include "Core/BatchRun/columnprocesssteps.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/Planarization/planarization.h"
#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetching.h"
#include "Core/Operations/SpinCoating/spincoating.h"


namespace Core {
namespace BatchRun {

using namespace Core::Operations;

namespace {

const QString keyMaterialId = QStringLiteral("Material_Id");
const QString keyMaximumHeight = QStringLiteral("Maximum Height");
const QString keyMinimumHeight = QStringLiteral("Minimum Height");
const QString keyEtchDepth = QStringLiteral("Etch Depth");
const QString keyEtchDirection = QStringLiteral("EtchDirectionValue");

} // namespace

int32_t runPlanarizationStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const uint32_t maximum = read.toUInt(keyMaximumHeight);
    const uint32_t minimum = read.toUInt(keyMinimumHeight);
    if (read.result() != 0)
        return read.result();
    if (StepParameters::checkOnly())
        return 0;
    Planarization(environment.volume.get(), maximum, minimum).run();
    environment.markLatticeStale();
    return 0;
}

int32_t runSpinCoatingStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const uint32_t height = read.toUInt(keyMaximumHeight);
    const uint32_t material = read.toUInt(keyMaterialId);
    if (read.result() != 0)
        return read.result();
    if (StepParameters::checkOnly())
        return 0;
    SpinCoating(environment.volume.get(), material, height).run();
    environment.markLatticeStale(material);
    return 0;
}

int32_t runSimpleRieStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const uint32_t material = read.toUInt(keyMaterialId);
    const uint32_t depth = read.toUInt(keyEtchDepth);
    uint32_t directions = static_cast<uint32_t>(EtchDirections::FromTop);
    if (step.hasParameter(keyEtchDirection))
        directions = read.toUInt(keyEtchDirection);
    if (read.result() != 0)
        return read.result();
    if (directions > 3) {
        return rejectStep(step, QStringLiteral("the etch direction must be 0 (none), 1 (top), 2 (below) or 3 (both)"));
    }
    if (StepParameters::checkOnly())
        return 0;
    SimpleReactiveIonEtching(environment.volume.get(), material, depth, static_cast<EtchDirections>(directions)).run();
    environment.markLatticeStale(material);
    return 0;
}

} // namespace BatchRun
} // namespace Core
