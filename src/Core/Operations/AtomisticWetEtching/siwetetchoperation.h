#pragma once

#include "Core/Operations/processoperation.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>

namespace Core {
namespace Operations {

// What the two silicon wet etches share as operations: a depth in length units, the
// volume's lattice rebuilt first when a process changed the volume's silicon since it
// was made (consecutive etches continue on the same atoms), the mark cleared after the
// run. Undoable: undo and redo leave the lattice stale.
class SiWetEtchOperation : public UndoableProcessOperation
{
public:
    SiWetEtchOperation(OperationContext &context, std::string name, int32_t typeId)
        : UndoableProcessOperation(context, std::move(name), typeId, QStringLiteral("SiWetEtch"))
    {
    }

    void setParameters(double value) { depth = value; }
    double getDepth() const { return depth.value_or(0.0); }
    bool areParametersSet() const { return depth.has_value(); }

    // Rebuilds the volume's lattice when the marks (volume id -> stale) say it is stale,
    // have no entry for the volume, or the volume has none; the etches and the batch
    // step call it before their run.
    static void refreshLattice(const std::map<int32_t, bool> &latticeStale, Model::Automaton::TotalVolume &volume)
    {
        const auto stale = latticeStale.find(volume.getId());
        if (stale == latticeStale.end() || stale->second || !volume.getLattice())
            volume.createLattice();
    }

protected:
    bool parametersComplete() const override { return depth.has_value(); }
    void process() override
    {
        refreshLattice(context.latticeStale, *volume);
        atomsRemoved = runEtch(*depth);
        context.latticeStale[volume->getId()] = false;
    }
    // An etch that took atoms but emptied no cell still changed the lattice, which its
    // undo puts back (by leaving it stale).
    bool changedNothing() const override { return atomsRemoved == 0 && UndoableProcessOperation::changedNothing(); }
    // The etch itself on `volume`'s lattice; returns the number of atoms it removed.
    virtual size_t runEtch(double depth) = 0;

private:
    std::optional<double> depth;
    size_t atomsRemoved = 0;
};

} // namespace Operations
} // namespace Core
