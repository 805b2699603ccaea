#include "Core/Operations/AtomisticWetEtching/atomisticwetetchoperation.h"

#include "Core/Operations/AtomisticWetEtching/atomisticwetetch.h"

namespace Core {
namespace Operations {

AtomisticWetEtchOperation::AtomisticWetEtchOperation(OperationContext &context)
    : SiWetEtchOperation(context, "BCA Wet Etch", 28)
{
}

size_t AtomisticWetEtchOperation::runEtch(double depth)
{
    AtomisticWetEtch etch(volume.get(), depth);
    etch.run();
    return etch.atomsRemoved();
}

} // namespace Operations
} // namespace Core
