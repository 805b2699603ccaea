#pragma once

#include "Core/Operations/SpinCoating/spincoatingoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "Util/iobserver.h"

#include <QDialog>
#include <memory>

class QWidget;

namespace Ui {
namespace Observers {

// Runs the "Pour Material" dialog for the operation in progress; its height reaches up
// to the top of the chosen volume.
class SpinCoatingObserver : public Util::IObserver
{
public:
    SpinCoatingObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
        : context(context), mainWindow(mainWindow)
    {
    }

    void update() override
    {
        const auto operation = std::dynamic_pointer_cast<Core::Operations::SpinCoatingOperation>(context.getCurrentOperation());
        if (!operation)
            return;
        const auto volume = operation->getVolume();
        Operations::SpinCoatingOptionsDialog dialog(volume ? volume->getSizeZ() : 0, mainWindow);
        if (dialog.exec() == QDialog::Accepted)
            dialog.applyTo(*operation);
    }

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
