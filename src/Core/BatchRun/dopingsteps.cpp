#include "Core/BatchRun/dopingsteps.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/DopingOperation/ionimplantation.h"
#include "Core/Operations/DopingOperation/simpledoping.h"
#include "Core/Operations/SiOxidation/simplesioxidation.h"

#include <cmath>

namespace Core {
namespace BatchRun {

using namespace Core::Operations;

namespace {

const QString keyDopedId = QStringLiteral("Doped Material_Id");

bool validLength(double value) { return std::isfinite(value) && value >= 0.0; }

int32_t finished(StepEnvironment &environment)
{
    environment.markLatticeStale();
    return 0;
}

} // namespace

int32_t runDopingStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const float depth = read.toFloat(QStringLiteral("Doping Depth"));
    const uint32_t material = read.toUInt(keyDopedId);
    if (read.result() != 0)
        return read.result();
    if (!validLength(depth))
        return rejectStep(step, "the doping depth must be a number of 0 or more");
    if (StepParameters::checkOnly())
        return 0;
    SimpleDoping(environment.volume.get(), material, depth).simulate();
    return finished(environment);
}

int32_t runIonImplantationStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const float annealing = read.toFloat(QStringLiteral("Annealing Distance"));
    const float depth = read.toFloat(QStringLiteral("Implantation Depth"));
    const uint32_t material = read.toUInt(keyDopedId);
    const float spread = read.toFloat(QStringLiteral("Vertical Spread"));
    if (read.result() != 0)
        return read.result();
    if (!validLength(annealing) || !validLength(depth) || !validLength(spread))
        return rejectStep(step, "the depth, spread and annealing distance must be numbers of 0 or more");
    if (StepParameters::checkOnly())
        return 0;
    IonImplantation(environment.volume.get(), material, depth, spread, annealing).simulate();
    return finished(environment);
}

int32_t runSiOxidationStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const bool timeSet = read.toBool(QStringLiteral("OxidationTimeSet"));
    if (read.result() != 0)
        return read.result();
    const double conversion = read.toDouble(QStringLiteral("Micron Conversion"));
    double microns = 0.0;
    if (timeSet) {
        const double pressure = read.toDouble(QStringLiteral("Oxidation Pressure"));
        const double temperature = read.toDouble(QStringLiteral("Oxidation Temperature"));
        const double hours = read.toDouble(QStringLiteral("Oxidation Time"));
        if (read.result() != 0)
            return read.result();
        if (!validLength(pressure) || !validLength(temperature) || !validLength(hours))
            return rejectStep(step, "the time, temperature and pressure must be numbers of 0 or more");
        microns = SimpleSiOxidation::dealGrove(hours, temperature, pressure).thickness;
    } else {
        microns = read.toDouble(QStringLiteral("Oxidation Thickness"));
        if (read.result() != 0)
            return read.result();
        if (!validLength(microns))
            return rejectStep(step, "the oxide thickness must be a number of 0 or more");
    }
    if (!std::isfinite(conversion) || !(conversion > 0.0))
        return rejectStep(step, "the micron conversion must be a positive number");
    if (StepParameters::checkOnly())
        return 0;
    SimpleSiOxidation(environment.volume.get(), conversion).simulate(microns);
    return finished(environment);
}

} // namespace BatchRun
} // namespace Core
