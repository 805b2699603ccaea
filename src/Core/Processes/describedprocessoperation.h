#pragma once

#include "Core/Operations/processoperation.h"
#include "Core/Processes/processdescriptor.h"

namespace Core {
namespace Processes {

// The menu operation of a described process: the undoable life cycle of a process on one
// volume, with the values its options dialog (or a preset) gives, run by the descriptor's
// own function, the same one a batch step runs.
class DescribedProcessOperation : public Operations::UndoableProcessOperation
{
public:
    DescribedProcessOperation(Operations::OperationContext &context, const ProcessDescriptor &process);
    // With its values given already, as a preset does: no dialog is needed.
    DescribedProcessOperation(Operations::OperationContext &context, const ProcessDescriptor &process,
                              const ParameterSet &values)
        : DescribedProcessOperation(context, process)
    {
        setParameters(values);
    }

    const ProcessDescriptor &getProcess() const { return described; }
    // Takes the values to run with; the operation runs only once it has them.
    void setParameters(const ParameterSet &values);
    const ParameterSet &getParameters() const { return values; }
    // What the options dialog is told of the chosen volume (the descriptor's volumeFacts).
    const ParameterSet &getVolumeFacts() const { return facts; }

    void cancel() override;

protected:
    void volumeTaken() override;
    bool parametersComplete() const override { return complete; }
    void process() override;
    bool marksLatticeStale() const override { return described.writesSilicon(values); }
    bool changedNothing() const override { return unseenChanges == 0 && UndoableProcessOperation::changedNothing(); }

private:
    const ProcessDescriptor &described;
    ParameterSet values;
    ParameterSet facts;
    bool complete = false;
    size_t unseenChanges = 0;
};

} // namespace Processes
} // namespace Core
