#include "Core/Operations/ContinuousWetEtching/continuouswetetchoperation.h"

#include "Core/Operations/ContinuousWetEtching/continuouswetetch.h"

namespace Core {
namespace Operations {

ContinuousWetEtchOperation::ContinuousWetEtchOperation(OperationContext &context)
    : SiWetEtchOperation(context, "Continuous Wet Etch", 29)
{
}

size_t ContinuousWetEtchOperation::runEtch(double depth)
{
    ContinuousWetEtch etch(volume.get(), depth);
    etch.run();
    return etch.atomsRemoved();
}

} // namespace Operations
} // namespace Core
