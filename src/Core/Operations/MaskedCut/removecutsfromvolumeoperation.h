#pragma once

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// Shows every cell of the chosen cell volume again, however often it was cut.
// Undoable.
class RemoveCutsFromVolumeOperation : public UndoableProcessOperation
{
public:
    explicit RemoveCutsFromVolumeOperation(OperationContext &context);

    void end() override;
    void cancel() override;

protected:
    bool parametersComplete() const override { return true; }
    void process() override;
};

} // namespace Operations
} // namespace Core
