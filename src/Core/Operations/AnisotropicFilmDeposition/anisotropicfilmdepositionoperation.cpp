#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdepositionoperation.h"

#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdeposition.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> AnisotropicFilmDepositionOperation::instanceCounter{0};

AnisotropicFilmDepositionOperation::AnisotropicFilmDepositionOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Anisotropic Deposition", 13, QStringLiteral("AnisotropicDeposition"), instanceCounter)
{
}

void AnisotropicFilmDepositionOperation::process()
{
    AnisotropicFilmDeposition automaton(volume.get(), *material, *thickness, *ratio);
    automaton.simulate();
}

} // namespace Operations
} // namespace Core
