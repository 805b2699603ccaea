#pragma once

#include "Util/iobserver.h"

#include <functional>

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
    // A new, not yet shown main window and the context that owns its scene.
    struct Window
    {
        QWidget *widget = nullptr;
        Core::Operations::OperationContext *context = nullptr;
    };
    using WindowMaker = std::function<Window()>;

    // The main window installs how a new one is made (once, at start-up).
    static void setWindowMaker(WindowMaker maker);

    DocumentOpenedObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
