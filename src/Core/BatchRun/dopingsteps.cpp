#include "Core/BatchRun/dopingsteps.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/SiOxidation/simplesioxidation.h"

#include <cmath>

namespace Core {
namespace BatchRun {

using namespace Core::Operations;

namespace {

bool validLength(double value) { return std::isfinite(value) && value >= 0.0; }

int32_t finished(StepEnvironment &environment)
{
    environment.markLatticeStale();
    return 0;
}

} // namespace

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
