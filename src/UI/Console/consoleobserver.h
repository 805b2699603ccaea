#pragma once

#include "Util/iobserver.h"

#include <QObject>
#include <QString>

namespace Core {
namespace Operations {
class CommandInterpreter;
}
} // namespace Core

namespace Ui {
namespace Console {

// Passes the interpreter's messages to the console window as a Qt signal.
class ConsoleObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    explicit ConsoleObserver(Core::Operations::CommandInterpreter &interpreter,
                             QObject *parent = nullptr);

    // Emits messageWritten with the last message unless it is empty.
    void update() override;

signals:
    void messageWritten(QString message);

private:
    Core::Operations::CommandInterpreter &interpreter;
};

} // namespace Console
} // namespace Ui
