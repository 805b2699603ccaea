#include "Core/Operations/commandinterpreter.h"
#include "Core/Operations/operation.h"

#include <gtest/gtest.h>

#include <functional>

using Core::Operations::CommandInterpreter;
using Core::Operations::Operation;
using Util::Vector4D;

namespace {

// Counts the calls the interpreter makes and records whether it was still the target
// when it ran.
class FakeOperation : public Operation
{
public:
    explicit FakeOperation(CommandInterpreter &interpreter) : Operation("Fake", 99), interpreter(interpreter) {}

    void execute() override
    {
        ++executed;
        targetDuringExecute = interpreter.getTarget();
        if (onExecute)
            onExecute();
    }
    void cancel() override {}
    void end() override
    {
        ++ended;
        interpreter.reset();
    }

    CommandInterpreter &interpreter;
    int executed = 0;
    int ended = 0;
    Operation *targetDuringExecute = this;
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
    void SetUp() override { interpreter.addMessageObserver(observer); }

    CommandInterpreter interpreter;
    std::shared_ptr<RecordingObserver> observer = std::make_shared<RecordingObserver>(interpreter);
    FakeOperation op{interpreter};
};

const char *const pointError = "Invalid entry. Enter the x, y, z coordinates.";

} // namespace

TEST_F(InterpreterTest, LinesWithoutTargetDoNothing)
{
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);
    interpreter.submit("undo");
    interpreter.submit("");
    interpreter.submit("1, 2, 3");
    EXPECT_TRUE(observer->seen.empty());
    EXPECT_EQ(interpreter.getLastMessage(), "");
}

TEST_F(InterpreterTest, PointLines)
{
    for (const char *line : {"1, 2, 3", "1,2,3", "1 ,2 ,3"}) {
        SCOPED_TRACE(line);
        Vector4D point(0, 0, 0, 7);
        bool done = true;
        const int before = op.executed;
        interpreter.requestPoint(&op, &point, &done);
        EXPECT_FALSE(done);
        interpreter.submit(line);
        EXPECT_EQ(point, Vector4D(1, 2, 3, 7));
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
    interpreter.submit("1 2 3");
    EXPECT_EQ(point, Vector4D(1, 9, 9, 0));
    // Two components are stored before the missing z is noticed.
    interpreter.submit("1, 2");
    EXPECT_EQ(point, Vector4D(1, 2, 9, 0));
    // An unreadable component is left as it was.
    point = Vector4D(9, 9, 9, 0);
    interpreter.submit("4, x, 6");
    EXPECT_EQ(point, Vector4D(4, 9, 9, 0));
    // So is a coordinate no document could store (positions are floats).
    point = Vector4D(9, 9, 9, 0);
    interpreter.submit("4, 1e39, 6");
    EXPECT_EQ(point, Vector4D(4, 9, 9, 0));
    interpreter.submit("-3.5e38, 0, 0");
    EXPECT_EQ(point, Vector4D(4, 9, 9, 0));
    EXPECT_EQ(observer->seen, std::vector<std::string>(5, pointError));

    // Not waiting for Enter: the operation keeps waiting, an empty line does nothing.
    interpreter.submit("");
    EXPECT_FALSE(done);
    EXPECT_EQ(op.executed, 3);
    EXPECT_EQ(interpreter.getTarget(), &op);
    interpreter.submit("7,8,9");
    EXPECT_EQ(point, Vector4D(7, 8, 9, 0));
    EXPECT_EQ(op.executed, 4);
}

TEST_F(InterpreterTest, IntegerRealTextAndConfirm)
{
    int32_t integer = -7;
    bool done = true;
    interpreter.requestInteger(&op, &integer, &done);
    EXPECT_FALSE(done);
    for (const char *bad : {" 12", "1.5", "2147483648", "+"}) {
        interpreter.submit(bad);
        EXPECT_EQ(integer, -7) << bad;
    }
    EXPECT_EQ(observer->seen, std::vector<std::string>(4, "Invalid entry. Please enter an intenger"));
    EXPECT_EQ(op.executed, 0);
    interpreter.submit("-2147483648");
    EXPECT_EQ(integer, INT32_MIN);
    EXPECT_TRUE(done);
    EXPECT_EQ(op.executed, 1);
    EXPECT_EQ(op.targetDuringExecute, nullptr);

    double real = 0.5;
    observer->seen.clear();
    interpreter.requestReal(&op, &real, &done);
    for (const char *bad : {"1e", "2.5+", "1,5"}) {
        interpreter.submit(bad);
        EXPECT_EQ(real, 0.5) << bad;
    }
    EXPECT_EQ(observer->seen, std::vector<std::string>(3, "Invalid entry. Please enter a floating point value"));
    interpreter.submit("-2.5e-1");
    EXPECT_EQ(real, -0.25);
    EXPECT_TRUE(done);
    EXPECT_EQ(op.executed, 2);

    // A text request has no done flag; the one left by the point request stays unset.
    bool pointDone = false;
    Vector4D point;
    std::string answer;
    interpreter.requestPoint(&op, &point, &pointDone);
    interpreter.requestText(&op, &answer);
    interpreter.submit("N");
    EXPECT_EQ(answer, "N");
    EXPECT_FALSE(pointDone);
    EXPECT_EQ(op.executed, 3);

    interpreter.requestConfirm(&op, &done);
    EXPECT_FALSE(done);
    interpreter.submit("");
    EXPECT_EQ(op.executed, 3);
    interpreter.submit("yes");
    EXPECT_TRUE(done);
    EXPECT_EQ(op.executed, 4);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);
}

TEST_F(InterpreterTest, EmptyEnterAndInvalidInputResumeWaitingOperation)
{
    bool entered = false;
    interpreter.waitForEnter(&op);
    interpreter.setEnterFlag(&entered);
    interpreter.submit("");
    EXPECT_EQ(op.executed, 1);
    EXPECT_EQ(op.targetDuringExecute, nullptr);
    EXPECT_TRUE(entered);
    EXPECT_FALSE(interpreter.isWaitingForEnter());
    interpreter.submit("");
    EXPECT_EQ(op.executed, 1);

    // A word in idle mode counts as Enter; the operation asks again from execute().
    op.onExecute = [&] { interpreter.waitForEnter(&op); };
    interpreter.waitForEnter(&op);
    interpreter.submit("anything");
    EXPECT_EQ(op.executed, 2);
    EXPECT_EQ(interpreter.getTarget(), &op);
    EXPECT_TRUE(interpreter.isWaitingForEnter());
    op.onExecute = nullptr;

    // Invalid input of an operation that also waits for Enter resumes it as an Enter.
    Vector4D point(5, 5, 5, 0);
    bool done = true;
    interpreter.requestPoint(&op, &point, &done);
    interpreter.submit("1, 2");
    EXPECT_EQ(observer->seen, std::vector<std::string>{pointError});
    EXPECT_EQ(op.executed, 3);
    EXPECT_FALSE(done);
    EXPECT_FALSE(interpreter.isWaitingForEnter());

    // reset() keeps waitingForEnter, but forgets the enter flag of the dropped request.
    entered = false;
    interpreter.waitForEnter(&op);
    interpreter.setEnterFlag(&entered);
    interpreter.reset();
    EXPECT_TRUE(interpreter.isWaitingForEnter());
    EXPECT_EQ(interpreter.getTarget(), nullptr);
    double real = 0;
    interpreter.requestReal(&op, &real, &done);
    interpreter.submit("x");
    EXPECT_EQ(op.executed, 4);
    EXPECT_FALSE(entered);
}

TEST_F(InterpreterTest, AnotherOperationRegisteringEndsTheFirst)
{
    FakeOperation second(interpreter);
    Vector4D firstPoint;
    bool firstDone = false;
    interpreter.requestPoint(&op, &firstPoint, &firstDone);
    interpreter.requestPoint(&op, &firstPoint, &firstDone);
    EXPECT_EQ(op.ended, 0);

    interpreter.waitForEnter(&second);
    EXPECT_EQ(op.ended, 1);
    EXPECT_EQ(interpreter.getTarget(), &second);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);
    // Nothing is delivered into the first operation any more.
    interpreter.submit("1, 2, 3");
    EXPECT_EQ(firstPoint, Vector4D());
    EXPECT_FALSE(firstDone);
    EXPECT_EQ(op.executed, 0);
    EXPECT_EQ(second.executed, 1);

    std::string text;
    interpreter.requestText(&second, &text);
    interpreter.requestConfirm(&op, nullptr);
    EXPECT_EQ(second.ended, 1);

    interpreter.releaseTarget();
    EXPECT_EQ(interpreter.getTarget(), nullptr);
    EXPECT_EQ(interpreter.getMode(), CommandInterpreter::Idle);
    interpreter.submit("yes");
    EXPECT_EQ(op.executed, 0);
}

TEST_F(InterpreterTest, OnlyNonEmptyMessagesAreNotified)
{
    interpreter.showMessage("Spin Coating: Operation finished.");
    interpreter.showMessage("");
    EXPECT_EQ(interpreter.getLastMessage(), "");
    auto second = std::make_shared<RecordingObserver>(interpreter);
    interpreter.addMessageObserver(second);
    interpreter.showMessage("Delete: objects deleted.");

    EXPECT_EQ(observer->seen, (std::vector<std::string>{"Spin Coating: Operation finished.",
                                                         "Delete: objects deleted."}));
    EXPECT_EQ(second->seen, std::vector<std::string>{"Delete: objects deleted."});
}
