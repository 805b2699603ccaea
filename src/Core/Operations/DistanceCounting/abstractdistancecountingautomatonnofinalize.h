#pragma once

#include "Core/Operations/DistanceCounting/abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

// The distance-counting automaton without the finalisation phase: deposition, etching
// and doping change their cells during the steps only.
class AbstractDistanceCountingAutomatonNoFinalize : public AbstractDistanceCountingAutomatonBase
{
public:
    using AbstractDistanceCountingAutomatonBase::AbstractDistanceCountingAutomatonBase;

    void run(int64_t steps) override;

protected:
    void finalizeCell(uint32_t cell, int32_t slice) override;
};

} // namespace Operations
} // namespace Core
