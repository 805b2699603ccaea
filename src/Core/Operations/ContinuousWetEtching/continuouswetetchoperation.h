#pragma once

#include "Core/Operations/AtomisticWetEtching/siwetetchoperation.h"

namespace Core {
namespace Operations {

// "Continuous Wet Etch": the continuous-cellular-automaton silicon wet etch, with the
// same depth parameter, lattice reuse and messages as the atomistic etch.
class ContinuousWetEtchOperation : public SiWetEtchOperation
{
public:
    explicit ContinuousWetEtchOperation(OperationContext &context);

protected:
    size_t runEtch(double depth) override;
};

} // namespace Operations
} // namespace Core
