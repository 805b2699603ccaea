#include "Core/Operations/ContinuousWetEtching/continouswetetchoperation.h"

#include "Core/Operations/AtomisticSiWetEtching/atomisticsiwetetchingoperation.h"
#include "Core/Operations/ContinuousWetEtching/continuoswetetching.h"

namespace Core {
namespace Operations {

ContinousWetEtchOperation::ContinousWetEtchOperation(OperationContext &context)
    : ProcessOperation(context, "Continuous Wet Etch", 29)
{
}

void ContinousWetEtchOperation::process()
{
    AtomisticSiWetEtchingOperation::refreshLattice(context, *volume);
    ContinuosWetEtching etch(volume.get(), *depth);
    etch.run();
    context.latticeStale[volume->getId()] = false;
}

} // namespace Operations
} // namespace Core
