#include "Core/Operations/AtomisticSiWetEtching/atomisticsiwetetchingoperation.h"

#include "Core/Operations/AtomisticSiWetEtching/atomicstructuresimplesiwetetch.h"

namespace Core {
namespace Operations {

AtomisticSiWetEtchingOperation::AtomisticSiWetEtchingOperation(OperationContext &context)
    : SiWetEtchOperation(context, "BCA Wet Etch", 28)
{
}

void AtomisticSiWetEtchingOperation::runEtch(double depth)
{
    AtomicStructureSimpleSiWetEtch(volume.get(), depth).run();
}

} // namespace Operations
} // namespace Core
