#include "Core/Operations/undoredohistory.h"

#include "Core/Operations/operationcontext.h"

namespace Core {
namespace Operations {

void UndoRedoHistory::push(const ObjectOperationPtr &operation)
{
    if (!operation)
        return;
    undoStack.push_back(operation);
    redoStack.clear();
    Util::notifyAll(undoObservers);
    Util::notifyAll(redoObservers);
}

bool UndoRedoHistory::undo()
{
    if (undoStack.empty()) {
        Util::notifyAll(undoObservers);
        return false;
    }
    ObjectOperationPtr operation = undoStack.back();
    undoStack.pop_back();
    context.cancelCurrentOperation();
    const uint64_t before = generation;
    const UndoResult result = operation->undo();
    if (generation != before) {
        // The step cleared the history: it leaves it too.
    } else if (result == UndoResult::Kept) {
        undoStack.push_back(operation);
    } else if (result == UndoResult::Undone) {
        redoStack.push_back(operation);
        Util::notifyAll(redoObservers);
    }
    Util::notifyAll(undoObservers);
    return true;
}

bool UndoRedoHistory::redo()
{
    if (redoStack.empty()) {
        Util::notifyAll(redoObservers);
        return false;
    }
    ObjectOperationPtr operation = redoStack.back();
    redoStack.pop_back();
    context.cancelCurrentOperation();
    const uint64_t before = generation;
    operation->redo();
    if (generation == before)
        undoStack.push_back(operation);
    Util::notifyAll(undoObservers);
    Util::notifyAll(redoObservers);
    return true;
}

void UndoRedoHistory::clear()
{
    ++generation;
    redoStack.clear();
    undoStack.clear();
    Util::notifyAll(redoObservers);
    Util::notifyAll(undoObservers);
}

std::string UndoRedoHistory::undoName() const
{
    return undoStack.empty() ? std::string() : undoStack.back()->getName();
}

std::string UndoRedoHistory::redoName() const
{
    return redoStack.empty() ? std::string() : redoStack.back()->getName();
}

} // namespace Operations
} // namespace Core
