#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordepositionoperation.h"

#include "Core/Operations/SimplePhysicalVaporDeposition/simplephysicalvapordeposition.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> SimplePhysicalVaporDepositionOperation::instanceCounter{0};

SimplePhysicalVaporDepositionOperation::SimplePhysicalVaporDepositionOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Isotropic Deposition", 13, QStringLiteral("IsotropicDeposition"), instanceCounter)
{
}

void SimplePhysicalVaporDepositionOperation::process()
{
    SimplePhysicalVaporDeposition automaton(volume.get(), *material, *thickness, *ratio, *side);
    automaton.simulate();
}

} // namespace Operations
} // namespace Core
