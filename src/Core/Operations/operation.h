#pragma once

#include "Util/iobserver.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Core {
namespace Operations {

// A user action driven step by step: execute() once at start and again after every
// input the operation asked for; cancel() leaves the model as it was; end() commits
// when everything needed is present and otherwise behaves as cancel().
class Operation
{
public:
    Operation(std::string name, int32_t typeId) : name(std::move(name)), typeId(typeId) {}
    virtual ~Operation() = default;

    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;

    virtual void execute() = 0;
    virtual void cancel() = 0;
    virtual void end() = 0;

    std::string getName() const { return name; }
    int32_t getTypeId() const { return typeId; }

    // The observer that opens this operation's options dialog (attached by the factory).
    void setOptionsObserver(Util::ObserverPtr observer) { optionsObserver = std::move(observer); }
    Util::ObserverPtr getOptionsObserver() const { return optionsObserver; }

protected:
    void notifyOptionsObserver()
    {
        if (optionsObserver)
            optionsObserver->update();
    }

private:
    std::string name;
    int32_t typeId;
    Util::ObserverPtr optionsObserver;
};

// What undoing one operation came to, and so where the history keeps it.
enum class UndoResult {
    Kept,      // nothing was undone: it stays on the undo stack
    Undone,    // taken back: it moves to the redo stack
    RecordLost // its record could not be restored: it leaves both stacks
};

// An operation whose committed change can be taken back; only these enter the history.
class ObjectOperation : public Operation
{
public:
    using Operation::Operation;

    virtual UndoResult undo() = 0;
    virtual void redo() = 0;
};

using OperationPtr = std::shared_ptr<Operation>;
using ObjectOperationPtr = std::shared_ptr<ObjectOperation>;

// Creates operations by type number; empty for an unknown number.
class IOperationFactory
{
public:
    virtual ~IOperationFactory() = default;
    virtual OperationPtr create(int32_t typeId) = 0;
};

} // namespace Operations
} // namespace Core
