#pragma once

#include "Util/iobserver.h"


class QWidget;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {
namespace Observers {

// The "Open document" operation's observer: asks for the file ("Choose file",
// "Kelvane file (*.mem)", from the document opened last) and opens it in a new main
// window, titled "Kelvane  " followed by the path and shown maximised. A document that
// cannot be read gives the "Error reading from file" box and no new window.
class DocumentOpenedObserver : public Util::IObserver
{
public:
    DocumentOpenedObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
