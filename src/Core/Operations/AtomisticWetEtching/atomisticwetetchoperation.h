#pragma once

#include "Core/Operations/AtomisticWetEtching/siwetetchoperation.h"

namespace Core {
namespace Operations {

// "BCA Wet Etch": the atomistic silicon wet etch of a cell volume to a depth.
class AtomisticWetEtchOperation : public SiWetEtchOperation
{
public:
    explicit AtomisticWetEtchOperation(OperationContext &context);

protected:
    size_t runEtch(double depth) override;
};

} // namespace Operations
} // namespace Core
