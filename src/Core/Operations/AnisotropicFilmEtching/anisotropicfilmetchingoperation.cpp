#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetchingoperation.h"

#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetching.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> AnisotropicFilmEtchingOperation::instanceCounter{0};

AnisotropicFilmEtchingOperation::AnisotropicFilmEtchingOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Anisotropic Etching", 13, QStringLiteral("AnisotropicEtching"), instanceCounter)
{
}

void AnisotropicFilmEtchingOperation::setDepth(float value)
{
    depth = value;
    depthSet = true;
}

void AnisotropicFilmEtchingOperation::setRatio(float value)
{
    ratio = value;
    ratioSet = true;
}

void AnisotropicFilmEtchingOperation::setMaterial(uint32_t value)
{
    material = value;
    materialSet = true;
}

void AnisotropicFilmEtchingOperation::process()
{
    AnisotropicFilmEtching automaton(volume.get(), material, depth, ratio);
    automaton.simulate();
}

} // namespace Operations
} // namespace Core
