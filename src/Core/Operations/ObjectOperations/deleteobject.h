#pragma once

#include "Core/Operations/operation.h"
#include "Model/object.h"

#include <vector>

namespace Core {
namespace Operations {

class OperationContext;

// Takes the selected objects out of the scene ("Delete Objects", 4).
class DeleteObject : public ObjectOperation
{
public:
    explicit DeleteObject(OperationContext &context);

    void execute() override;
    void end() override;
    void cancel() override;
    UndoResult undo() override;
    void redo() override;

private:
    OperationContext &context;
    bool haveObjects = false;
    std::vector<Model::ObjectPtr> objects;
};

} // namespace Operations
} // namespace Core
