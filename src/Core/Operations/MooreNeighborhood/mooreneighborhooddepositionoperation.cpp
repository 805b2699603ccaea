#include "Core/Operations/MooreNeighborhood/mooreneighborhooddepositionoperation.h"

#include "Core/Operations/MooreNeighborhood/mooreneighborhooddeposition.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> MooreNeighborhoodDepositionOperation::instanceCounter{0};

MooreNeighborhoodDepositionOperation::MooreNeighborhoodDepositionOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Moore film deposition", 18, QStringLiteral("MooreFilmDep"),
                               instanceCounter)
{
}

void MooreNeighborhoodDepositionOperation::process()
{
    MooreNeighborhoodDeposition automaton(volume.get(), *material, *thickness);
    automaton.run();
}

} // namespace Operations
} // namespace Core
