#include "Core/Operations/AtomisticSiWetEtching/atomisticsiwetetchingoperation.h"

#include "Core/Operations/AtomisticSiWetEtching/atomicstructuresimplesiwetetch.h"

namespace Core {
namespace Operations {

AtomisticSiWetEtchingOperation::AtomisticSiWetEtchingOperation(OperationContext &context)
    : ProcessOperation(context, "BCA Wet Etch", 28)
{
}

void AtomisticSiWetEtchingOperation::refreshLattice(OperationContext &context, Model::Automaton::TotalVolume &volume)
{
    const auto stale = context.latticeStale.find(volume.getId());
    if (stale == context.latticeStale.end() || stale->second || !volume.getLattice())
        volume.createLattice();
}

void AtomisticSiWetEtchingOperation::process()
{
    refreshLattice(context, *volume);
    AtomicStructureSimpleSiWetEtch etch(volume.get(), *depth);
    etch.run();
    context.latticeStale[volume->getId()] = false;
}

} // namespace Operations
} // namespace Core
