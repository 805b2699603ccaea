#pragma once

#include "Core/Operations/operationcontext.h"
#include "UI/Observers/windowobserver.h"

#include <QDialog>
#include <functional>
#include <memory>

class QWidget;

namespace Ui {
namespace Observers {

// The options observer of a process operation: when the operation asks for its
// options, runs `Dialog` over the main window and, if it is accepted, hands the values
// over with `dialog.applyTo(operation)`. A rejected dialog leaves the operation without
// options, so it cancels itself.
template <class Operation, class Dialog>
class OptionsObserver : public WindowObserver
{
public:
    // `dialogArguments` go to the dialog's constructor before its parent.
    template <class... DialogArguments>
    OptionsObserver(Core::Operations::OperationContext &context, QWidget *mainWindow,
                    DialogArguments... dialogArguments)
        : WindowObserver(context, mainWindow),
          makeDialog([=](QWidget *parent) { return std::make_unique<Dialog>(dialogArguments..., parent); })
    {
    }

    void update() override
    {
        const auto operation = this->template current<Operation>();
        if (!operation)
            return;
        const std::unique_ptr<Dialog> dialog = makeDialog(this->mainWindow);
        if (dialog->exec() == QDialog::Accepted)
            dialog->applyTo(*operation);
    }

private:
    std::function<std::unique_ptr<Dialog>(QWidget *)> makeDialog;
};

} // namespace Observers
} // namespace Ui
