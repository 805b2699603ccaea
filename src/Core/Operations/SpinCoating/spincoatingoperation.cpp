#include "Core/Operations/SpinCoating/spincoatingoperation.h"

#include "Core/Operations/SpinCoating/spincoating.h"

namespace Core {
namespace Operations {

SpinCoatingOperation::SpinCoatingOperation(OperationContext &context) : UndoableProcessOperation(context, "Spin Coating", 23, QStringLiteral("SpinCoating"))
{
}

void SpinCoatingOperation::process()
{
    SpinCoating(volume.get(), *material, *height).run();
}

} // namespace Operations
} // namespace Core
