#include "Core/Operations/DopingOperation/ionimplantationoperation.h"

#include "Core/Operations/DopingOperation/ionimplantation.h"

namespace Core {
namespace Operations {

IonImplantationOperation::IonImplantationOperation(OperationContext &context)
    : ProcessOperation(context, "Ion Implantation", 3)
{
}

void IonImplantationOperation::process()
{
    IonImplantation(volume.get(), *material, *implantationDepth, *verticalSpread, *annealingDistance).simulate();
}

} // namespace Operations
} // namespace Core
