#include "Core/Operations/DopingOperation/ionimplantationoperation.h"

#include "Core/Operations/DopingOperation/ionimplantation.h"

namespace Core {
namespace Operations {

IonImplantationOperation::IonImplantationOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Ion Implantation", 3, QStringLiteral("IonImplantation"))
{
}

void IonImplantationOperation::process()
{
    IonImplantation(volume.get(), *material, *implantationDepth, *verticalSpread, *annealingDistance).simulate();
}

} // namespace Operations
} // namespace Core
