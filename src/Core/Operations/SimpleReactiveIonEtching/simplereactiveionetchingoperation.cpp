#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetchingoperation.h"

#include "Core/Operations/SimpleReactiveIonEtching/simplereactiveionetching.h"

namespace Core {
namespace Operations {

SimpleReactiveIonEtchingOperation::SimpleReactiveIonEtchingOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Simple RIE", 30, QStringLiteral("SimpleRIE"))
{
}

void SimpleReactiveIonEtchingOperation::process()
{
    SimpleReactiveIonEtching(volume.get(), *material, *depth, directions).run();
}

} // namespace Operations
} // namespace Core
