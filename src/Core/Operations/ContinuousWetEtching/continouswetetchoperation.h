#pragma once

#include "Core/Operations/processoperation.h"

#include <optional>

namespace Core {
namespace Operations {

// "Continuous Wet Etch": the continuous-cellular-automaton silicon wet etch, with the
// same depth parameter, lattice reuse and messages as the atomistic etch. Not undoable.
class ContinousWetEtchOperation : public ProcessOperation
{
public:
    explicit ContinousWetEtchOperation(OperationContext &context);

    void setParameters(double value) { depth = value; }
    double getDepth() const { return depth.value_or(0.0); }
    bool areParametersSet() const { return depth.has_value(); }

protected:
    bool parametersComplete() const override { return depth.has_value(); }
    void process() override;

private:
    std::optional<double> depth;
};

} // namespace Operations
} // namespace Core
