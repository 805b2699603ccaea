#pragma once

#include "Core/Operations/operationcontext.h"
#include "Util/iobserver.h"

#include <memory>

class QWidget;

namespace Ui {
namespace Observers {

// An observer that acts for a main window on the operation in progress: it keeps the
// window's operation context and the window its dialogs open over.
class WindowObserver : public Util::IObserver
{
public:
    WindowObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
        : context(context), mainWindow(mainWindow)
    {
    }

protected:
    // The operation in progress when it is an `Operation`, else null.
    template <class Operation>
    std::shared_ptr<Operation> current() const
    {
        return std::dynamic_pointer_cast<Operation>(context.getCurrentOperation());
    }

    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
