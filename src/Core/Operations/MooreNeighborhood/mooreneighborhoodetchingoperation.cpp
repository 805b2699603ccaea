#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetchingoperation.h"

#include "Core/Operations/MooreNeighborhood/mooreneighborhoodetching.h"

namespace Core {
namespace Operations {

std::atomic<int32_t> MooreNeighborhoodEtchingOperation::instanceCounter{0};

MooreNeighborhoodEtchingOperation::MooreNeighborhoodEtchingOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Moore film deposition", 19, QStringLiteral("MooreFilmDep"),
                               instanceCounter)
{
}

void MooreNeighborhoodEtchingOperation::process()
{
    MooreNeighborhoodEtching automaton(volume.get(), *material, *depth);
    automaton.run();
}

} // namespace Operations
} // namespace Core
