#include "Core/Operations/ObjectOperations/moveobject.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

namespace {

Util::Vector3D negated(const Util::Vector3D &v) { return Util::Vector3D(-v.x, -v.y, -v.z); }

} // namespace

MoveObject::MoveObject(OperationContext &context) : PlaceObjectsOperation(context, "Move Objects", 7, "Move") {}

std::string MoveObject::selectPrompt() const
{
    return message("Select the object(s) to be moved and press Enter");
}

void MoveObject::end()
{
    if (step != 3) {
        cancel();
        context.abandonOperation();
        return;
    }
    showGhosts(false);
    for (const Model::ObjectPtr &object : objects)
        object->move(displacement);
    context.clearSelection();
    dropRequests();
    context.interpreter.releaseTarget();
    context.showMessage(message("Object(s) moved"));
    context.finishOperation();
    context.notifyUpdate();
}

void MoveObject::cancel()
{
    if (step == 3)
        return;
    dropRequests();
    context.interpreter.releaseTarget();
    showGhosts(false);
    context.showMessage(message("Operation canceled"));
    context.notifyUpdate();
}

UndoResult MoveObject::undo()
{
    for (const Model::ObjectPtr &object : objects)
        object->move(negated(displacement));
    context.notifyUpdate();
    return UndoResult::Undone;
}

void MoveObject::redo()
{
    for (const Model::ObjectPtr &object : objects)
        object->move(displacement);
    context.notifyUpdate();
}

} // namespace Operations
} // namespace Core
