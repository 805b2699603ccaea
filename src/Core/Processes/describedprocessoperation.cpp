#include "Core/Processes/describedprocessoperation.h"

namespace Core {
namespace Processes {

DescribedProcessOperation::DescribedProcessOperation(Operations::OperationContext &context,
                                                     const ProcessDescriptor &process)
    : UndoableProcessOperation(context, process.consoleName.toStdString(), process.recordedNumber,
                               process.snapshotKey),
      described(process)
{
}

void DescribedProcessOperation::setParameters(const ParameterSet &parameters)
{
    values = parameters;
    complete = true;
}

void DescribedProcessOperation::volumeTaken()
{
    if (volume && described.volumeFacts)
        described.volumeFacts(*volume, facts);
    UndoableProcessOperation::volumeTaken();
}

void DescribedProcessOperation::cancel()
{
    context.showMessage(getName() + described.canceledText.toStdString());
    context.interpreter.reset();
    context.abandonOperation();
}

void DescribedProcessOperation::process()
{
    ProcessTarget target{*volume, context.latticeStale, QString()};
    described.run(target, values);
    unseenChanges = target.unseenChanges;
}

} // namespace Processes
} // namespace Core
