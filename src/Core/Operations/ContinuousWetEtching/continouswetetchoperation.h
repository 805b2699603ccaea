#pragma once

#include "Core/Operations/AtomisticSiWetEtching/siwetetchoperation.h"

namespace Core {
namespace Operations {

// "Continuous Wet Etch": the continuous-cellular-automaton silicon wet etch, with the
// same depth parameter, lattice reuse and messages as the atomistic etch.
class ContinousWetEtchOperation : public SiWetEtchOperation
{
public:
    explicit ContinousWetEtchOperation(OperationContext &context);

protected:
    size_t runEtch(double depth) override;
};

} // namespace Operations
} // namespace Core
