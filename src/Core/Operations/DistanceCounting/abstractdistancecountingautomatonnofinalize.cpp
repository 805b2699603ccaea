#include "Core/Operations/DistanceCounting/abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

void AbstractDistanceCountingAutomatonNoFinalize::run(int64_t steps) { runPhases(steps, false); }

void AbstractDistanceCountingAutomatonNoFinalize::finalizeCell(uint32_t, int32_t) {}

} // namespace Operations
} // namespace Core
