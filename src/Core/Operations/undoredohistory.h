#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

#include <deque>
#include <string>

namespace Core {
namespace Operations {

class OperationContext;

// Undo and redo stacks of finished object operations, newest at the back.
class UndoRedoHistory
{
public:
    explicit UndoRedoHistory(OperationContext &context) : context(context) {}

    void push(const ObjectOperationPtr &operation);
    bool undo();
    bool redo();
    void clear();
    std::string undoName() const;
    std::string redoName() const;
    size_t undoCount() const { return undoStack.size(); }
    size_t redoCount() const { return redoStack.size(); }

    void addUndoObserver(const Util::ObserverPtr &o) { undoObservers.push_back(o); }
    void addRedoObserver(const Util::ObserverPtr &o) { redoObservers.push_back(o); }

private:
    OperationContext &context;
    std::deque<ObjectOperationPtr> undoStack;
    std::deque<ObjectOperationPtr> redoStack;
    // Counts clear()s, so that a step that cleared the history while it was undone or
    // redone is not put back on a stack.
    uint64_t generation = 0;
    Util::ObserverList undoObservers;
    Util::ObserverList redoObservers;
};

} // namespace Operations
} // namespace Core
