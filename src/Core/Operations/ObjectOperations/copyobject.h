#pragma once

#include "Core/Operations/ObjectOperations/placeobjectsoperation.h"

namespace Core {
namespace Operations {

// Adds displaced clones of the selected objects to the scene ("Copy Objects", 1).
class CopyObject : public PlaceObjectsOperation
{
public:
    explicit CopyObject(OperationContext &context);

    void end() override;
    void cancel() override;
    UndoResult undo() override;
    void redo() override;

protected:
    Model::ObjectPtr placed(const Model::ObjectPtr &selected) override { return selected->clone(); }
    std::string selectPrompt() const override;
};

} // namespace Operations
} // namespace Core
