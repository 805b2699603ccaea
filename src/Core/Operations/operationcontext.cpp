#include "Core/Operations/operationcontext.h"

#include "Model/Automaton/totalvolume.h"

#include <algorithm>

namespace Core {
namespace Operations {

OperationContext::OperationContext() : history(*this) {}

OperationContext::~OperationContext()
{
    // The interpreter points at operations; drop that before they go.
    interpreter.reset();
}

void OperationContext::activate(int32_t typeId)
{
    cancelCurrentOperation();
    OperationPtr operation = factory ? factory->create(typeId) : nullptr;
    retire();
    currentOperation = operation;
    if (operation)
        operation->execute();
}

void OperationContext::cancelCurrentOperation()
{
    if (OperationPtr running = currentOperation)
        running->cancel();
}

void OperationContext::retire()
{
    retiredOperation = std::move(currentOperation);
    currentOperation.reset();
}

void OperationContext::finishOperation()
{
    if (auto objectOperation = std::dynamic_pointer_cast<ObjectOperation>(currentOperation))
        history.push(objectOperation);
    retire();
    clearSelection();
    notifyUpdate();
}

void OperationContext::abandonOperation()
{
    // Selection mode that the abandoned operation turned on to wait for a choice ends
    // with it; one the user turned on stays.
    if (selection.selectionMode && selectionModeOwner && selectionModeOwner == currentOperation.get())
        setSelectionMode(false);
    retire();
    clearSelection();
    notifyUpdate();
}

std::shared_ptr<Model::Automaton::TotalVolume> OperationContext::selectedOrFirstVolume() const
{
    for (const std::vector<Model::ObjectPtr> &objects : {selectedObjects(), scene.objects()})
        for (const Model::ObjectPtr &object : objects)
            if (auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
                return volume;
    return nullptr;
}

void OperationContext::notifyUpdate()
{
    Util::notifyAll(updateObservers);
}

void OperationContext::clearSelection()
{
    for (const Model::ObjectPtr &o : selection.objects)
        o->setSelected(false);
    selection.objects.clear();
    publishSelection();
}

void OperationContext::setObjectSelected(const Model::ObjectPtr &object, bool selected)
{
    if (!object)
        return;
    auto it = std::find(selection.objects.begin(), selection.objects.end(), object);
    if (selected && it == selection.objects.end())
        selection.objects.push_back(object);
    else if (!selected && it != selection.objects.end())
        selection.objects.erase(it);
    object->setSelected(selected);
    publishSelection();
}

void OperationContext::forgetHistory(const std::string &message)
{
    history.clear();
    snapshotFiles.discardRecords();
    showMessage(message);
}

void OperationContext::removeFromScene(const Model::ObjectPtr &object)
{
    if (!object)
        return;
    setObjectSelected(object, false);
    scene.remove(object);
}

void OperationContext::setSelectionMode(bool on)
{
    if (selection.selectionMode == on)
        return;
    selection.selectionMode = on;
    selectionModeOwner = on ? currentOperation.get() : nullptr;
    if (!on)
        clearSelection();
    Util::notifyAll(selection.modeObservers);
}

void OperationContext::publishSelection()
{
    viewState.publishSelection(selection.objects);
}

} // namespace Operations
} // namespace Core
