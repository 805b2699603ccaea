#include "Core/BatchRun/randomwalkdopingstep.h"

#include "Core/Processes/processregistry.h"

#include "Core/BatchRun/stepparameters.h"
#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"


namespace Core {
namespace BatchRun {

int32_t runRandomWalkDopingStep(StepEnvironment &environment, const ProcessData &step)
{
    StepParameters read(step);
    const float cellSize = read.toFloat(QStringLiteral("Cell Size"));
    const float timeStep = read.toFloat(QStringLiteral("Time Step Duration"));
    const float diffusion = read.toFloat(QStringLiteral("Diffusion Coefficient"));
    const uint32_t material =
        read.toUInt(Processes::ProcessRegistry::instance().byBatchType(19)->field(QStringLiteral("Material"))->listKey());
    const float time = read.toFloat(QStringLiteral("Doping Time"));
    const float threshold = read.toFloat(QStringLiteral("Doping Threshold"));
    const float concentration = read.toFloat(QStringLiteral("Surface Concentration"));
    if (read.result() != 0)
        return read.result();
    const QString problem = Core::Operations::RandomWalkDoping::parameterProblem(
        diffusion, cellSize, timeStep, concentration, threshold, time);
    if (!problem.isEmpty())
        return rejectStep(step, problem);
    if (StepParameters::checkOnly())
        return 0;
    const Processes::ParameterSet values{{QStringLiteral("Material"), material},
                                         {QStringLiteral("Diffusion Coefficient"), diffusion},
                                         {QStringLiteral("Cell Size"), cellSize},
                                         {QStringLiteral("Time Step Duration"), timeStep},
                                         {QStringLiteral("Surface Concentration"), concentration},
                                         {QStringLiteral("Doping Threshold"), threshold},
                                         {QStringLiteral("Doping Time"), time}};
    Processes::ProcessTarget target{*environment.volume, environment.latticeStale, environment.listFolder};
    Processes::ProcessRegistry::instance().byBatchType(19)->run(target, values);
    environment.markLatticeStale();
    return 0;
}

} // namespace BatchRun
} // namespace Core
