#include "Core/Operations/RandomWalkDoping/randomwalkdopingoperation.h"

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
    RandomWalkDoping doping(volume.get(), *dopantMaterial, *diffusionCoefficient, *cellSize, *timeStep,
                            *surfaceConcentration, *dopingThreshold, seed);
    doping.dope(*dopingTime);
}

} // namespace Operations
} // namespace Core
