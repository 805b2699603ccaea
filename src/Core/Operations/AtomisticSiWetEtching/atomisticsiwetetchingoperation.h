#pragma once

#include "Core/Operations/processoperation.h"

#include <optional>

namespace Core {
namespace Operations {

// "BCA Wet Etch": the atomistic silicon wet etch of a cell volume to a depth in length
// units. It works on the volume's silicon lattice, rebuilt first when a process changed
// the volume's silicon since the lattice was made; consecutive etches continue on the
// same atoms. Not undoable.
class AtomisticSiWetEtchingOperation : public ProcessOperation
{
public:
    explicit AtomisticSiWetEtchingOperation(OperationContext &context);

    void setParameters(double value) { depth = value; }
    double getDepth() const { return depth.value_or(0.0); }
    bool areParametersSet() const { return depth.has_value(); }

    // Rebuilds the volume's lattice when the context marks it stale or has no entry for
    // the volume; the etches call it before their run.
    static void refreshLattice(OperationContext &context, Model::Automaton::TotalVolume &volume);

protected:
    bool parametersComplete() const override { return depth.has_value(); }
    void process() override;

private:
    std::optional<double> depth;
};

} // namespace Operations
} // namespace Core
