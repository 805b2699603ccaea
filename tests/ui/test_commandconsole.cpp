#include "Core/Operations/commandinterpreter.h"
#include "Core/Operations/operation.h"
#include "UI/Console/commandconsole.h"
#include "Util/colorsettings.h"
#include "Util/vector4d.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using Core::Operations::CommandInterpreter;
using Ui::Console::CommandConsole;

namespace {

class WaitingOperation : public Core::Operations::Operation
{
public:
    explicit WaitingOperation(CommandInterpreter &interpreter)
        : Operation("Isotropic Deposition", 13), interpreter(interpreter)
    {
    }
    void execute() override
    {
        ++executed;
        interpreter.showMessage(getName() + ": resumed");
    }
    void cancel() override { interpreter.reset(); }
    void end() override { interpreter.reset(); }

    CommandInterpreter &interpreter;
    int executed = 0;
};

struct ConsoleTest : ::testing::Test
{
    void SetUp() override
    {
        console = std::make_unique<CommandConsole>(nullptr, Qt::Tool, interpreter);
        console->show();
        console->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(console.get()));
        line = console->findChild<QLineEdit *>(QStringLiteral("linCommand"));
        transcript = console->findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"));
        ASSERT_NE(line, nullptr);
        ASSERT_NE(transcript, nullptr);
        line->setFocus();
    }

    void type(const QString &text)
    {
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
    }

    // What the user sees in the field after pressing a key in the console window.
    QString press(Qt::Key key)
    {
        QTest::keyClick(line, key);
        return line->text();
    }

    QStringList paragraphs() const
    {
        const QString all = transcript->toPlainText();
        return all.isEmpty() ? QStringList() : all.split(QLatin1Char('\n'));
    }

    CommandInterpreter interpreter;
    std::unique_ptr<CommandConsole> console;
    QLineEdit *line = nullptr;
    QPlainTextEdit *transcript = nullptr;
};

} // namespace

TEST_F(ConsoleTest, WindowLayoutAndColours)
{
    EXPECT_EQ(console->objectName(), QStringLiteral("CommandConsoleForm"));
    EXPECT_EQ(console->windowTitle(), QStringLiteral("Console"));
    EXPECT_TRUE(console->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(transcript->isReadOnly());
    EXPECT_EQ(transcript->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(line->hasFocus());

    const Util::ColorVariant variant = Util::ColorSettings::activeVariant();
    const Util::Vector4D bg(Util::ColorSetting::ConsoleBackgroundColor, variant);
    const Util::Vector4D fg(Util::ColorSetting::ConsoleTextColor, variant);
    EXPECT_EQ(transcript->palette().color(QPalette::Base), QColor::fromRgbF(bg.x, bg.y, bg.z, bg.w));
    EXPECT_EQ(transcript->palette().color(QPalette::Text), QColor::fromRgbF(fg.x, fg.y, fg.z, fg.w));

    console->setWindowTitle(QStringLiteral("Konsole"));
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(console.get(), &change);
    EXPECT_EQ(console->windowTitle(), QStringLiteral("Console"));
}

TEST_F(ConsoleTest, UpAndDownBrowseTheHistory)
{
    // Nothing to browse yet.
    EXPECT_EQ(press(Qt::Key_Up), QString());
    EXPECT_EQ(press(Qt::Key_Down), QString());

    type(QStringLiteral("a"));
    type(QStringLiteral("b"));
    type(QStringLiteral("c"));
    EXPECT_EQ(line->text(), QString());

    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("c"));
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("b"));
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("a"));
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("a"));
    EXPECT_EQ(press(Qt::Key_Down), QStringLiteral("a"));
    EXPECT_EQ(press(Qt::Key_Down), QStringLiteral("b"));
    EXPECT_EQ(press(Qt::Key_Down), QString());
    EXPECT_EQ(press(Qt::Key_Down), QString());

    // A recalled line submitted again becomes the newest entry.
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("c"));
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("b"));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("b"));
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("c"));
    EXPECT_EQ(paragraphs(), (QStringList{"a", "b", "c", "b"}));
}

TEST_F(ConsoleTest, EnterEchoesAndMessagesAppear)
{
    // With no operation waiting, a word is only echoed.
    type(QStringLiteral("undo"));
    EXPECT_EQ(line->text(), QString());
    EXPECT_EQ(paragraphs(), QStringList{"undo"});
    EXPECT_EQ(interpreter.getLastMessage(), "");

    interpreter.showMessage("Spin Coating: Operation finished.");
    interpreter.showMessage("");
    EXPECT_EQ(paragraphs(), (QStringList{"undo", "Spin Coating: Operation finished."}));

    // An empty Enter echoes nothing and joins no history, but resumes the operation.
    WaitingOperation op(interpreter);
    interpreter.waitForEnter(&op);
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(op.executed, 1);
    EXPECT_EQ(paragraphs(),
              (QStringList{"undo", "Spin Coating: Operation finished.", "Isotropic Deposition: resumed"}));
    EXPECT_EQ(press(Qt::Key_Up), QStringLiteral("undo"));
    line->clear();

    // A point typed into the console reaches the operation.
    Util::Vector4D point;
    bool done = false;
    interpreter.requestPoint(&op, &point, &done);
    type(QStringLiteral("1, 2"));
    EXPECT_EQ(paragraphs().mid(3),
              (QStringList{"1, 2", "Invalid entry. Enter the x, y, z coordinates."}));
    EXPECT_EQ(op.executed, 1);
    type(QStringLiteral("1.5, -2, 3"));
    EXPECT_TRUE(done);
    EXPECT_EQ(point, Util::Vector4D(1.5, -2, 3, 0));
    EXPECT_EQ(op.executed, 2);
    EXPECT_EQ(paragraphs().last(), QStringLiteral("Isotropic Deposition: resumed"));
}

TEST(ConsoleLifetime, InterpreterOutlivesWindow)
{
    CommandInterpreter interpreter;
    {
        CommandConsole console(nullptr, Qt::Tool, interpreter);
        interpreter.showMessage("first");
        EXPECT_EQ(console.transcript()->toPlainText(), QStringLiteral("first"));
    }
    // The window is gone; its observer stays registered but writes nowhere.
    interpreter.showMessage("second");
    EXPECT_EQ(interpreter.getLastMessage(), "second");
}
