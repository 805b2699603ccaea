#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetchingoperation.h"

#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetching.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> IsotropicFilmEtchingOperation::instanceCounter{0};

IsotropicFilmEtchingOperation::IsotropicFilmEtchingOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Isotropic Etching", 14, QStringLiteral("IsotropicEtching"), instanceCounter)
{
}

void IsotropicFilmEtchingOperation::process()
{
    IsotropicFilmEtching automaton(volume.get(), *material, *depth);
    automaton.simulate();
}

} // namespace Operations
} // namespace Core
