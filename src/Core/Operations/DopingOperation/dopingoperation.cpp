#include "Core/Operations/DopingOperation/dopingoperation.h"

#include "Core/Operations/DopingOperation/simpledoping.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> DopingOperation::instanceCounter{0};

DopingOperation::DopingOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Doping", 17, QStringLiteral("Doping"), instanceCounter)
{
}

void DopingOperation::process() { SimpleDoping(volume.get(), *material, *depth).simulate(); }

} // namespace Operations
} // namespace Core
