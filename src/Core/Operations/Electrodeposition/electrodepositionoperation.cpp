#include "Core/Operations/Electrodeposition/electrodepositionoperation.h"

#include "Core/Operations/Electrodeposition/electrodeposition.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> ElectrodepositionOperation::instanceCounter{0};

ElectrodepositionOperation::ElectrodepositionOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Electroplating", 15, QStringLiteral("Electroplating"), instanceCounter)
{
}

void ElectrodepositionOperation::process()
{
    Electrodeposition automaton(volume.get(), *depositedMaterial, *conductingMaterial, *thickness);
    automaton.simulate();
}

} // namespace Operations
} // namespace Core
