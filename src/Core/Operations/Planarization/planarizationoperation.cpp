#include "Core/Operations/Planarization/planarizationoperation.h"

#include "Core/Operations/Planarization/planarization.h"

namespace Core {
namespace Operations {

PlanarizationOperation::PlanarizationOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Planarization", 22, QStringLiteral("Planarization"))
{
}

void PlanarizationOperation::process()
{
    Planarization(volume.get(), *maximumHeight, *minimumHeight).run();
}

void PlanarizationOperation::cancel()
{
    context.showMessage(getName() + ": Operation canceled!");
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
