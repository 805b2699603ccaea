#include "Core/Operations/RandomWalkDoping/randomwalkdopingoperation.h"

#include "Core/Processes/processregistry.h"

#include "Core/Operations/RandomWalkDoping/randomwalkdoping.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> RandomWalkDopingOperation::instanceCounter{0};

RandomWalkDopingOperation::RandomWalkDopingOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Random Walk Doping", 36, QStringLiteral("RandomWalkDoping"), instanceCounter)
{
}

bool RandomWalkDopingOperation::allSet() const
{
    return dopantMaterial && diffusionCoefficient && cellSize && timeStep && surfaceConcentration &&
           dopingThreshold && dopingTime;
}

namespace {

QString problemOf(const RandomWalkDopingOperation &o)
{
    return RandomWalkDoping::parameterProblem(o.getDiffusionCoefficient(), o.getCellSize(), o.getTimeStep(),
                                              o.getSurfaceConcentration(), o.getDopingThreshold(),
                                              o.getDopingTime());
}

} // namespace

bool RandomWalkDopingOperation::parametersComplete() const
{
    return allSet() && problemOf(*this).isEmpty();
}

void RandomWalkDopingOperation::end()
{
    if (volumeChosen && volume && allSet()) {
        const QString problem = problemOf(*this);
        if (!problem.isEmpty())
            context.showMessage(getName() + ": " + problem.toStdString());
    }
    UndoableProcessOperation::end();
}

void RandomWalkDopingOperation::process()
{
    Processes::ParameterSet values{{QStringLiteral("Material"), *dopantMaterial},
                                   {QStringLiteral("Diffusion Coefficient"), *diffusionCoefficient},
                                   {QStringLiteral("Cell Size"), *cellSize},
                                   {QStringLiteral("Time Step Duration"), *timeStep},
                                   {QStringLiteral("Surface Concentration"), *surfaceConcentration},
                                   {QStringLiteral("Doping Threshold"), *dopingThreshold},
                                   {QStringLiteral("Doping Time"), *dopingTime}};
    if (seed)
        values.set(QStringLiteral("Seed"), *seed);
    Processes::ProcessTarget target{*volume, context.latticeStale, QString()};
    Processes::ProcessRegistry::instance().byOperation(36)->run(target, values);
}

} // namespace Operations
} // namespace Core
