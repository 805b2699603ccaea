#pragma once

#include "Util/iobserver.h"
#include "Util/vector4d.h"

#include <cstdint>
#include <string>

namespace Core {
namespace Operations {

class Operation;

// The console's side of an operation waiting for input: which operation the next line
// resumes, what kind of answer it expects and where the answer goes, plus the last
// message an operation showed.
//
// The target and the answer locations are borrowed from the operation that asked; the
// operation (and the context when it drops an operation) calls reset() before they go
// away. The target is always cleared before its execute() runs, so an operation that
// needs more input asks again from inside execute().
class CommandInterpreter
{
public:
    enum Mode : int32_t {
        Integer = 0,
        Real = 1,
        Point = 2,
        Text = 3,
        Confirm = 4,
        Idle = 5
    };

    CommandInterpreter() = default;
    CommandInterpreter(const CommandInterpreter &) = delete;
    CommandInterpreter &operator=(const CommandInterpreter &) = delete;

    // Each request first ends a different operation that is still the target.
    // An empty Enter/Return resumes the operation.
    void waitForEnter(Operation *operation);
    // A line "x, y, z" is stored in *point (w untouched) and sets *done.
    void requestPoint(Operation *operation, Util::Vector4D *point, bool *done);
    // Any non-empty line is stored in *text.
    void requestText(Operation *operation, std::string *text);
    // A whole line of decimal digits with an optional sign, in range of int32.
    void requestInteger(Operation *operation, int32_t *value, bool *done);
    // A whole line in floating-point notation.
    void requestReal(Operation *operation, double *value, bool *done);
    // Any non-empty line confirms.
    void requestConfirm(Operation *operation, bool *done);
    // Set to true when an empty Enter/Return releases the target. Cleared by reset(),
    // and by a request that ends a former target, so set it after waitForEnter().
    void setEnterFlag(bool *flag) { enterFlag = flag; }

    // Drops the target and any pending request: back to idle.
    void reset();
    // Drops the target only.
    void releaseTarget();

    // Stores the message; a non-empty one is passed to the message observers.
    void showMessage(const std::string &text);
    std::string getLastMessage() const { return lastMessage; }
    void addMessageObserver(Util::ObserverPtr observer);

    // Processes one console line.
    void submit(const std::string &line);

    Operation *getTarget() const { return target; }
    int32_t getMode() const { return mode; }
    bool isWaitingForEnter() const { return waitingForEnter; }

private:
    // Ends a former target that is not `operation` and forgets its request.
    void takeTarget(Operation *operation);
    void dropRequest();
    // Clears the target and the mode, sets the done flag and runs the former target.
    void resume();
    // An empty Enter/Return, or a line that could not be read.
    void emptyEnter();
    bool submitPoint(const std::string &line);

    Operation *target = nullptr;
    std::string *textTarget = nullptr;
    double *realTarget = nullptr;
    int32_t *integerTarget = nullptr;
    Util::Vector4D *pointTarget = nullptr;
    int32_t mode = Idle;
    bool *doneFlag = nullptr;
    bool *enterFlag = nullptr;
    bool waitingForEnter = false;
    std::string lastMessage;
    Util::ObserverList messageObservers;
};

} // namespace Operations
} // namespace Core
