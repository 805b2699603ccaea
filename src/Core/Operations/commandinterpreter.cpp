#include "Core/Operations/commandinterpreter.h"

#include "Core/Operations/operation.h"

#include <boost/lexical_cast.hpp>
#include <cfloat>
#include <cmath>

#include <exception>
#include <sstream>

namespace Core {
namespace Operations {

namespace {
const char *const invalidInteger = "Invalid entry. Please enter an intenger";
const char *const invalidReal = "Invalid entry. Please enter a floating point value";
const char *const invalidPoint = "Invalid entry. Enter the x, y, z coordinates.";
} // namespace

void CommandInterpreter::takeTarget(Operation *operation)
{
    if (target == nullptr || target == operation)
        return;
    // The former target's end() normally resets us; whatever it left behind still
    // points into that operation, so none of it may survive into the new request.
    Operation *former = target;
    target = nullptr;
    former->end();
    dropRequest();
}

void CommandInterpreter::dropRequest()
{
    target = nullptr;
    mode = Idle;
    doneFlag = nullptr;
    enterFlag = nullptr;
    textTarget = nullptr;
    realTarget = nullptr;
    integerTarget = nullptr;
    pointTarget = nullptr;
}

void CommandInterpreter::waitForEnter(Operation *operation)
{
    takeTarget(operation);
    target = operation;
    waitingForEnter = true;
}

void CommandInterpreter::requestPoint(Operation *operation, Util::Vector4D *point, bool *done)
{
    takeTarget(operation);
    doneFlag = done;
    if (doneFlag)
        *doneFlag = false;
    target = operation;
    pointTarget = point;
    mode = Point;
}

void CommandInterpreter::requestText(Operation *operation, std::string *text)
{
    takeTarget(operation);
    textTarget = text;
    // A text request has no done flag; one left by an earlier request must not be set.
    doneFlag = nullptr;
    target = operation;
    mode = Text;
}

void CommandInterpreter::requestInteger(Operation *operation, int32_t *value, bool *done)
{
    takeTarget(operation);
    doneFlag = done;
    if (doneFlag)
        *doneFlag = false;
    target = operation;
    integerTarget = value;
    mode = Integer;
}

void CommandInterpreter::requestReal(Operation *operation, double *value, bool *done)
{
    takeTarget(operation);
    doneFlag = done;
    if (doneFlag)
        *doneFlag = false;
    target = operation;
    realTarget = value;
    mode = Real;
}

void CommandInterpreter::requestConfirm(Operation *operation, bool *done)
{
    takeTarget(operation);
    doneFlag = done;
    if (doneFlag)
        *doneFlag = false;
    target = operation;
    mode = Confirm;
}

void CommandInterpreter::reset()
{
    // waitingForEnter stays as it is: only an empty Enter/Return clears it.
    dropRequest();
}

void CommandInterpreter::releaseTarget()
{
    target = nullptr;
    mode = Idle;
}

void CommandInterpreter::showMessage(const std::string &text)
{
    lastMessage = text;
    if (!lastMessage.empty())
        Util::notifyAll(messageObservers);
}

void CommandInterpreter::addMessageObserver(Util::ObserverPtr observer)
{
    if (observer)
        messageObservers.push_back(std::move(observer));
}

void CommandInterpreter::resume()
{
    Operation *former = target;
    target = nullptr;
    mode = Idle;
    if (doneFlag)
        *doneFlag = true;
    // Nothing of the interpreter's state is touched after this call: the operation may
    // ask again, finish, or be released from inside execute().
    former->execute();
}

void CommandInterpreter::emptyEnter()
{
    if (target == nullptr || !waitingForEnter)
        return;
    if (enterFlag)
        *enterFlag = true;
    Operation *former = target;
    target = nullptr;
    waitingForEnter = false;
    former->execute();
}

bool CommandInterpreter::submitPoint(const std::string &line)
{
    std::istringstream in(line);
    // Reaching the end of the line after z is fine; a missing or unreadable number is not.
    in.exceptions(std::ios::failbit | std::ios::badbit);
    // Points become object positions, which documents store as floats: a coordinate
    // beyond float range is as unreadable as a word. Components read before a failure
    // stay stored.
    auto read = [&in](double *target) {
        double value = 0.0;
        in >> value;
        if (!std::isfinite(value) || std::fabs(value) > double(FLT_MAX))
            return false;
        if (target)
            *target = value;
        return true;
    };
    try {
        Util::Vector4D *p = pointTarget;
        if (!read(p ? &p->x : nullptr))
            return false;
        in.ignore(100, ',');
        if (!read(p ? &p->y : nullptr))
            return false;
        in.ignore(100, ',');
        if (!read(p ? &p->z : nullptr))
            return false;
    } catch (const std::exception &) {
        // std::ios_base::failure; caught by its base because the library may throw it
        // with the other string ABI.
        return false;
    }
    return true;
}

void CommandInterpreter::submit(const std::string &line)
{
    if (target == nullptr)
        return;
    if (line.empty()) {
        emptyEnter();
        return;
    }

    switch (mode) {
    case Integer: {
        int32_t value = 0;
        try {
            value = boost::lexical_cast<int32_t>(line);
        } catch (const boost::bad_lexical_cast &) {
            showMessage(invalidInteger);
            emptyEnter();
            return;
        }
        if (integerTarget)
            *integerTarget = value;
        resume();
        return;
    }
    case Real: {
        double value = 0.0;
        try {
            value = boost::lexical_cast<double>(line);
        } catch (const boost::bad_lexical_cast &) {
            showMessage(invalidReal);
            emptyEnter();
            return;
        }
        if (realTarget)
            *realTarget = value;
        resume();
        return;
    }
    case Point:
        if (!submitPoint(line)) {
            showMessage(invalidPoint);
            emptyEnter();
            return;
        }
        resume();
        return;
    case Text:
        if (textTarget)
            *textTarget = line;
        resume();
        return;
    case Confirm:
        resume();
        return;
    case Idle:
    default:
        emptyEnter();
        return;
    }
}

} // namespace Operations
} // namespace Core
