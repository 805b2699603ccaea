#pragma once

#include "Core/Operations/ObjectOperations/placeobjectsoperation.h"

namespace Core {
namespace Operations {

// Moves the selected objects by a typed or clicked displacement ("Move Objects", 7).
class MoveObject : public PlaceObjectsOperation
{
public:
    explicit MoveObject(OperationContext &context);

    void end() override;
    void cancel() override;
    UndoResult undo() override;
    void redo() override;

protected:
    Model::ObjectPtr placed(const Model::ObjectPtr &selected) override { return selected; }
    std::string selectPrompt() const override;
};

} // namespace Operations
} // namespace Core
