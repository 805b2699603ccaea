#include "Core/Operations/ContinuousWetEtching/continouswetetchoperation.h"

#include "Core/Operations/ContinuousWetEtching/continuoswetetching.h"

namespace Core {
namespace Operations {

ContinousWetEtchOperation::ContinousWetEtchOperation(OperationContext &context)
    : SiWetEtchOperation(context, "Continuous Wet Etch", 29)
{
}

size_t ContinousWetEtchOperation::runEtch(double depth)
{
    ContinuosWetEtching etch(volume.get(), depth);
    etch.run();
    return etch.atomsRemoved();
}

} // namespace Operations
} // namespace Core
