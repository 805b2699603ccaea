#include "Core/Operations/AtomisticSiWetEtching/atomisticsiwetetchingoperation.h"

#include "Core/Operations/AtomisticSiWetEtching/atomicstructuresimplesiwetetch.h"

namespace Core {
namespace Operations {

AtomisticSiWetEtchingOperation::AtomisticSiWetEtchingOperation(OperationContext &context)
    : SiWetEtchOperation(context, "BCA Wet Etch", 28)
{
}

size_t AtomisticSiWetEtchingOperation::runEtch(double depth)
{
    AtomicStructureSimpleSiWetEtch etch(volume.get(), depth);
    etch.run();
    return etch.atomsRemoved();
}

} // namespace Operations
} // namespace Core
