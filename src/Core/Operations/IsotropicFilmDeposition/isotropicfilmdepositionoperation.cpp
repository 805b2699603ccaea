#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdepositionoperation.h"

#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdeposition.h"

#include <QDebug>
#include <QElapsedTimer>

namespace Core {
namespace Operations {

std::atomic<int32_t> IsotropicFilmDepositionOperation::instanceCounter{0};

IsotropicFilmDepositionOperation::IsotropicFilmDepositionOperation(OperationContext &context, std::string name)
    : UndoableProcessOperation(context, std::move(name), 13, QStringLiteral("IsotropicDeposition"), instanceCounter)
{
}

void IsotropicFilmDepositionOperation::process()
{
    QElapsedTimer clock;
    clock.start();
    IsotropicFilmDeposition automaton(volume.get(), *material, *thickness);
    automaton.simulate();
    qDebug() << "Isotropic deposition took" << clock.elapsed() << "ms";
}

} // namespace Operations
} // namespace Core
