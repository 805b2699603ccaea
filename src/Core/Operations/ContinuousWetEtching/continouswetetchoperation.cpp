#include "Core/Operations/ContinuousWetEtching/continouswetetchoperation.h"

#include "Core/Operations/ContinuousWetEtching/continuoswetetching.h"

namespace Core {
namespace Operations {

ContinousWetEtchOperation::ContinousWetEtchOperation(OperationContext &context)
    : SiWetEtchOperation(context, "Continuous Wet Etch", 29)
{
}

void ContinousWetEtchOperation::runEtch(double depth)
{
    ContinuosWetEtching(volume.get(), depth).run();
}

} // namespace Operations
} // namespace Core
