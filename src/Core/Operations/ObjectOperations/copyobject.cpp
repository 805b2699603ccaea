#include "Core/Operations/ObjectOperations/copyobject.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

CopyObject::CopyObject(OperationContext &context) : PlaceObjectsOperation(context, "Copy Objects", 1, "Copy") {}

std::string CopyObject::selectPrompt() const
{
    return message("Select the object(s) to be copied and press Enter");
}

void CopyObject::end()
{
    // The clones are drawn as ghosts while the copy waits; they enter the scene only here.
    showGhosts(false);
    for (const Model::ObjectPtr &clone : objects) {
        clone->move(displacement);
        context.scene.add(clone);
    }
    step = 3;
    context.clearSelection();
    dropRequests();
    context.interpreter.releaseTarget();
    context.showMessage(message("Object(s) copied"));
    context.finishOperation();
    context.notifyUpdate();
}

void CopyObject::cancel()
{
    dropRequests();
    context.interpreter.releaseTarget();
    showGhosts(false);
    context.showMessage(message("Operation canceled"));
    context.notifyUpdate();
}

UndoResult CopyObject::undo()
{
    for (const Model::ObjectPtr &clone : objects)
        context.removeFromScene(clone);
    context.notifyUpdate();
    return UndoResult::Undone;
}

void CopyObject::redo()
{
    for (const Model::ObjectPtr &clone : objects)
        context.scene.add(clone);
    context.notifyUpdate();
}

} // namespace Operations
} // namespace Core
