#include "Core/Operations/commandinterpreter.h"
#include "Core/Operations/operation.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using Core::Operations::CommandInterpreter;
using Core::Operations::Operation;
using Util::Vector4D;

namespace {

// Counts the calls the interpreter makes and records whether it was still the target
// when it ran.
class FakeOperation : public Operation
{
public:
    explicit FakeOperation(CommandInterpreter &interpreter, std::string name = "Fake")
        : Operation(std::move(name), 99), interpreter(interpreter)
    {
    }

    void execute() override
    {
        ++executed;
        targetDuringExecute = interpreter.getTarget();
        if (onExecute)
            onExecute();
    }
    void cancel() override { ++canceled; }
    void end() override
    {
        ++ended;
        interpreter.reset();
    }

    CommandInterpreter &interpreter;
    int executed = 0;
    int canceled = 0;
    int ended = 0;
    Operation *targetDuringExecute = reinterpret_cast<Operation *>(1);
    std::function<void()> onExecute;
};

class RecordingObserver : public Util::IObserver
{
public:
    explicit RecordingObserver(const CommandInterpreter &interpreter) : interpreter(interpreter) {}
    void update() override { seen.push_back(interpreter.getLastMessage()); }

    const CommandInterpreter &interpreter;
    std::vector<std::string> seen;
};

struct InterpreterTest : ::testing::Test
{
    void SetUp() override
    {
        observer = std::make_shared<RecordingObserver>(interpreter);
        interpreter.addMessageObserver(observer);
    }

    CommandInterpreter interpreter;
    std::shared_ptr<RecordingObserver> observer;
};

} // namespace

TEST_F(InterpreterTest, StartsIdleAndIgnoresLinesWithoutTarget)
{
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);
    EXPECT_EQ(interpreter.getTarget(), nullptr);
    EXPECT_FALSE(interpreter.isWaitingForEnter());
    EXPECT_EQ(interpreter.getLastMessage(), "");

    interpreter.submit("undo");
    interpreter.submit("");
    interpreter.submit("1, 2, 3");
    EXPECT_TRUE(observer->seen.empty());
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);
}

TEST_F(InterpreterTest, PointLinesWithCommasAndTheirFailures)
{
    FakeOperation op(interpreter);
    struct Case
    {
        const char *line;
        Vector4D expected;
    };
    for (const Case &c : {Case{"1, 2, 3", {1, 2, 3, 7}}, Case{"1,2,3", {1, 2, 3, 7}},
                          Case{"1 ,2 ,3", {1, 2, 3, 7}}, Case{"-1.5e1, 0.25 , +4", {-15, 0.25, 4, 7}}}) {
        SCOPED_TRACE(c.line);
        Vector4D point(0, 0, 0, 7);
        bool done = true;
        const int before = op.executed;
        interpreter.requestPoint(&op, &point, &done);
        EXPECT_FALSE(done);
        EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Point);
        interpreter.submit(c.line);
        EXPECT_EQ(point, c.expected);
        EXPECT_TRUE(done);
        EXPECT_EQ(op.executed, before + 1);
        EXPECT_EQ(op.targetDuringExecute, nullptr);
        EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);
    }
    EXPECT_TRUE(observer->seen.empty());

    // Blanks only: skipping to the next comma swallows the rest, so y cannot be read.
    Vector4D point(9, 9, 9, 0);
    bool done = true;
    interpreter.requestPoint(&op, &point, &done);
    const int before = op.executed;
    interpreter.submit("1 2 3");
    EXPECT_EQ(point, Vector4D(1, 9, 9, 0));
    EXPECT_FALSE(done);
    EXPECT_EQ(op.executed, before);
    EXPECT_EQ(interpreter.getTarget(), &op);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Point);

    // Two components are stored before the missing z is noticed; the operation keeps
    // waiting and may try again.
    interpreter.submit("1, 2");
    EXPECT_EQ(point, Vector4D(1, 2, 9, 0));
    EXPECT_FALSE(done);
    EXPECT_EQ(interpreter.getTarget(), &op);

    // An unreadable component is left as it was.
    point = Vector4D(9, 9, 9, 0);
    interpreter.submit("4, x, 6");
    EXPECT_EQ(point, Vector4D(4, 9, 9, 0));
    interpreter.submit("abc");
    EXPECT_EQ(point, Vector4D(4, 9, 9, 0));

    ASSERT_EQ(observer->seen.size(), 4u);
    for (const std::string &m : observer->seen)
        EXPECT_EQ(m, "Invalid entry. Enter the x, y, z coordinates.");

    // An empty line in point mode without waitingForEnter does nothing.
    interpreter.submit("");
    EXPECT_EQ(op.executed, before);
    EXPECT_EQ(interpreter.getTarget(), &op);

    interpreter.submit("7,8,9");
    EXPECT_EQ(point, Vector4D(7, 8, 9, 0));
    EXPECT_TRUE(done);
    EXPECT_EQ(op.executed, before + 1);
}

TEST_F(InterpreterTest, IntegerAndRealModes)
{
    FakeOperation op(interpreter);
    int32_t integer = -7;
    bool done = true;

    interpreter.requestInteger(&op, &integer, &done);
    EXPECT_FALSE(done);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Integer);
    for (const char *bad : {"12a", " 12", "12 ", "1.5", "2147483648", "-2147483649", "+", "abc"}) {
        SCOPED_TRACE(bad);
        interpreter.submit(bad);
        EXPECT_EQ(integer, -7);
        EXPECT_EQ(interpreter.getTarget(), &op);
        EXPECT_EQ(observer->seen.back(), "Invalid entry. Please enter an intenger");
    }
    EXPECT_EQ(observer->seen.size(), 8u);
    EXPECT_EQ(op.executed, 0);
    EXPECT_FALSE(done);

    interpreter.submit("-2147483648");
    EXPECT_EQ(integer, std::numeric_limits<int32_t>::min());
    EXPECT_TRUE(done);
    EXPECT_EQ(op.executed, 1);
    EXPECT_EQ(op.targetDuringExecute, nullptr);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);

    interpreter.requestInteger(&op, &integer, &done);
    interpreter.submit("+42");
    EXPECT_EQ(integer, 42);

    double real = 0.5;
    observer->seen.clear();
    interpreter.requestReal(&op, &real, &done);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Real);
    for (const char *bad : {"1e", "1E", "2.5+", "-", "1,5", "x", "1.0 "}) {
        SCOPED_TRACE(bad);
        interpreter.submit(bad);
        EXPECT_EQ(real, 0.5);
        EXPECT_EQ(observer->seen.back(), "Invalid entry. Please enter a floating point value");
    }
    EXPECT_EQ(observer->seen.size(), 7u);
    EXPECT_FALSE(done);
    interpreter.submit("-2.5e-1");
    EXPECT_EQ(real, -0.25);
    EXPECT_TRUE(done);
    EXPECT_EQ(op.executed, 3);

    interpreter.requestReal(&op, &real, &done);
    interpreter.submit("INFINITY");
    EXPECT_EQ(real, std::numeric_limits<double>::infinity());
    interpreter.requestReal(&op, &real, &done);
    interpreter.submit("nan");
    EXPECT_TRUE(real != real);
    EXPECT_EQ(op.executed, 5);
}

TEST_F(InterpreterTest, TextAndConfirmModes)
{
    FakeOperation op(interpreter);
    std::string answer;
    interpreter.requestText(&op, &answer);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Text);
    interpreter.submit("N");
    EXPECT_EQ(answer, "N");
    EXPECT_EQ(op.executed, 1);
    EXPECT_EQ(op.targetDuringExecute, nullptr);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);

    bool done = true;
    interpreter.requestConfirm(&op, &done);
    EXPECT_FALSE(done);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Confirm);
    interpreter.submit("");
    EXPECT_FALSE(done);
    EXPECT_EQ(op.executed, 1);
    interpreter.submit("yes");
    EXPECT_TRUE(done);
    EXPECT_EQ(op.executed, 2);
    EXPECT_TRUE(observer->seen.empty());

    // A done flag from an earlier request must not be set by a text answer.
    bool earlier = false;
    Vector4D point;
    interpreter.requestPoint(&op, &point, &earlier);
    interpreter.requestText(&op, &answer);
    interpreter.submit("hello");
    EXPECT_EQ(answer, "hello");
    EXPECT_FALSE(earlier);
}

TEST_F(InterpreterTest, EmptyEnterResumesWaitingOperation)
{
    FakeOperation op(interpreter);
    bool entered = false;
    interpreter.waitForEnter(&op);
    interpreter.setEnterFlag(&entered);
    EXPECT_TRUE(interpreter.isWaitingForEnter());
    EXPECT_EQ(interpreter.getTarget(), &op);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);

    interpreter.submit("");
    EXPECT_EQ(op.executed, 1);
    EXPECT_EQ(op.targetDuringExecute, nullptr);
    EXPECT_TRUE(entered);
    EXPECT_FALSE(interpreter.isWaitingForEnter());
    EXPECT_EQ(interpreter.getTarget(), nullptr);

    // Once released, further Enters do nothing.
    interpreter.submit("");
    EXPECT_EQ(op.executed, 1);

    // A word while only waiting for Enter (idle mode) counts as an Enter. The operation
    // re-registers from inside execute(), as a process operation whose volume is still
    // missing does.
    op.onExecute = [&] { interpreter.waitForEnter(&op); };
    interpreter.waitForEnter(&op);
    interpreter.submit("anything");
    interpreter.submit("");
    EXPECT_EQ(op.executed, 3);
    EXPECT_EQ(interpreter.getTarget(), &op);
    EXPECT_TRUE(interpreter.isWaitingForEnter());
    EXPECT_EQ(op.ended, 0);
}

TEST_F(InterpreterTest, InvalidInputFallsBackToEnterWhenWaiting)
{
    FakeOperation op(interpreter);
    Vector4D point(5, 5, 5, 0);
    bool done = true;
    bool entered = false;
    interpreter.requestPoint(&op, &point, &done);
    interpreter.waitForEnter(&op);
    interpreter.setEnterFlag(&entered);

    interpreter.submit("1, 2");
    EXPECT_EQ(observer->seen, std::vector<std::string>{"Invalid entry. Enter the x, y, z coordinates."});
    EXPECT_EQ(op.executed, 1);
    EXPECT_TRUE(entered);
    EXPECT_FALSE(done);
    EXPECT_FALSE(interpreter.isWaitingForEnter());
    EXPECT_EQ(point, Vector4D(1, 2, 5, 0));

    int32_t value = 3;
    interpreter.requestInteger(&op, &value, &done);
    interpreter.waitForEnter(&op);
    interpreter.submit("three");
    EXPECT_EQ(op.executed, 2);
    EXPECT_EQ(value, 3);

    // reset() keeps waitingForEnter: a later request still falls back after bad input.
    interpreter.waitForEnter(&op);
    interpreter.reset();
    EXPECT_TRUE(interpreter.isWaitingForEnter());
    double real = 0;
    interpreter.requestReal(&op, &real, &done);
    interpreter.submit("x");
    EXPECT_EQ(op.executed, 3);
    EXPECT_FALSE(interpreter.isWaitingForEnter());
}

TEST_F(InterpreterTest, AnotherOperationRegisteringEndsTheFirst)
{
    FakeOperation first(interpreter, "First");
    FakeOperation second(interpreter, "Second");
    Vector4D firstPoint;
    bool firstDone = false;
    bool firstEntered = false;
    interpreter.requestPoint(&first, &firstPoint, &firstDone);
    interpreter.setEnterFlag(&firstEntered);

    // Re-registering the same operation does not end it.
    interpreter.requestPoint(&first, &firstPoint, &firstDone);
    EXPECT_EQ(first.ended, 0);

    interpreter.waitForEnter(&second);
    EXPECT_EQ(first.ended, 1);
    EXPECT_EQ(interpreter.getTarget(), &second);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);

    // The first operation's answer locations are gone with it.
    interpreter.submit("1, 2, 3");
    EXPECT_EQ(firstPoint, Vector4D());
    EXPECT_FALSE(firstDone);
    EXPECT_EQ(second.executed, 1);
    EXPECT_FALSE(firstEntered);
    EXPECT_EQ(first.executed, 0);

    std::string text;
    interpreter.requestText(&second, &text);
    interpreter.requestText(&first, &text);
    EXPECT_EQ(second.ended, 1);
    interpreter.requestConfirm(&second, nullptr);
    EXPECT_EQ(first.ended, 2);
    int32_t i = 0;
    interpreter.requestInteger(&first, &i, nullptr);
    double d = 0;
    interpreter.requestReal(&second, &d, nullptr);
    EXPECT_EQ(first.ended, 3);
    EXPECT_EQ(second.ended, 2);
    EXPECT_EQ(first.canceled + second.canceled, 0);
}

TEST_F(InterpreterTest, ResetAndReleaseTarget)
{
    FakeOperation op(interpreter);
    Vector4D point;
    bool done = false;
    interpreter.requestPoint(&op, &point, &done);
    interpreter.releaseTarget();
    EXPECT_EQ(interpreter.getTarget(), nullptr);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);
    interpreter.submit("1,2,3");
    EXPECT_EQ(op.executed, 0);

    interpreter.requestPoint(&op, &point, &done);
    interpreter.reset();
    EXPECT_EQ(interpreter.getTarget(), nullptr);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);

    // After a reset the enter flag of the dropped operation is not written any more.
    bool entered = false;
    interpreter.waitForEnter(&op);
    interpreter.setEnterFlag(&entered);
    interpreter.reset();
    FakeOperation next(interpreter);
    interpreter.waitForEnter(&next);
    interpreter.submit("");
    EXPECT_EQ(next.executed, 1);
    EXPECT_FALSE(entered);
}

TEST_F(InterpreterTest, MessagesStoredButOnlyNonEmptyNotified)
{
    interpreter.showMessage("Spin Coating: Operation finished.");
    interpreter.showMessage("");
    EXPECT_EQ(interpreter.getLastMessage(), "");
    interpreter.showMessage("Move: Left click on destination.");

    auto second = std::make_shared<RecordingObserver>(interpreter);
    interpreter.addMessageObserver(second);
    interpreter.addMessageObserver(nullptr);
    interpreter.showMessage("Delete: objects deleted.");

    EXPECT_EQ(observer->seen, (std::vector<std::string>{"Spin Coating: Operation finished.",
                                                         "Move: Left click on destination.",
                                                         "Delete: objects deleted."}));
    EXPECT_EQ(second->seen, std::vector<std::string>{"Delete: objects deleted."});
}
