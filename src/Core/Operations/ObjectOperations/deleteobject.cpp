#include "Core/Operations/ObjectOperations/deleteobject.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

DeleteObject::DeleteObject(OperationContext &context) : ObjectOperation("Delete Objects", 4), context(context) {}

void DeleteObject::execute()
{
    if (haveObjects)
        return;
    const std::vector<Model::ObjectPtr> selected = context.selectedObjects();
    if (selected.empty()) {
        context.showMessage("Delete: Select the objects to be deleted and press Return/Enter");
        context.interpreter.waitForEnter(this);
        context.setSelectionMode(true);
        return;
    }
    objects = selected;
    context.clearSelection();
    context.setSelectionMode(false);
    haveObjects = true;
    end();
}

void DeleteObject::end()
{
    if (!haveObjects) {
        context.notifyUpdate();
        context.interpreter.reset();
        context.showMessage("Delete: Operation canceled, no selected objects.");
        context.abandonOperation();
        return;
    }
    for (const Model::ObjectPtr &object : objects)
        context.removeFromScene(object);
    context.notifyUpdate();
    context.showMessage("Delete: objects deleted.");
    context.finishOperation();
}

void DeleteObject::cancel()
{
    context.notifyUpdate();
    context.interpreter.reset();
    context.showMessage("Delete: Operation canceled.");
    context.abandonOperation();
}

UndoResult DeleteObject::undo()
{
    for (const Model::ObjectPtr &object : objects)
        context.scene.add(object);
    context.notifyUpdate();
    return UndoResult::Undone;
}

void DeleteObject::redo()
{
    for (const Model::ObjectPtr &object : objects)
        context.removeFromScene(object);
    context.notifyUpdate();
}

} // namespace Operations
} // namespace Core
