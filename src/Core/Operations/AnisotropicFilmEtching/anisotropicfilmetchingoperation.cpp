#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetchingoperation.h"

#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetching.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> AnisotropicFilmEtchingOperation::instanceCounter{0};

AnisotropicFilmEtchingOperation::AnisotropicFilmEtchingOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Anisotropic Etching", 13, QStringLiteral("AnisotropicEtching"), instanceCounter)
{
}

void AnisotropicFilmEtchingOperation::process()
{
    AnisotropicFilmEtching automaton(volume.get(), *material, *depth, *ratio);
    automaton.simulate();
}

} // namespace Operations
} // namespace Core
