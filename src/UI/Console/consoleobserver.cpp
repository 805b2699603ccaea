#include "UI/Console/consoleobserver.h"

#include "Core/Operations/commandinterpreter.h"

namespace Ui {
namespace Console {

ConsoleObserver::ConsoleObserver(Core::Operations::CommandInterpreter &interpreter, QObject *parent)
    : QObject(parent), interpreter(interpreter)
{
}

void ConsoleObserver::update()
{
    const QString message = QString::fromStdString(interpreter.getLastMessage());
    if (!message.isEmpty())
        emit messageWritten(message);
}

} // namespace Console
} // namespace Ui
