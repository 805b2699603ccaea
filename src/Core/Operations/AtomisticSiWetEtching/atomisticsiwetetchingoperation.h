#pragma once

#include "Core/Operations/AtomisticSiWetEtching/siwetetchoperation.h"

namespace Core {
namespace Operations {

// "BCA Wet Etch": the atomistic silicon wet etch of a cell volume to a depth.
class AtomisticSiWetEtchingOperation : public SiWetEtchOperation
{
public:
    explicit AtomisticSiWetEtchingOperation(OperationContext &context);

protected:
    size_t runEtch(double depth) override;
};

} // namespace Operations
} // namespace Core
