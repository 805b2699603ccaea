#pragma once

#include "Core/Operations/SpinCoating/spincoatingoperation.h"
#include "UI/Observers/windowobserver.h"
#include "UI/Operations/spincoatingoptionsdialog.h"

#include <QDialog>
#include <memory>

namespace Ui {
namespace Observers {

// Runs the "Pour Material" dialog for the operation in progress; its height reaches up
// to the top of the chosen volume.
class SpinCoatingObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;

    void update() override
    {
        const auto operation = current<Core::Operations::SpinCoatingOperation>();
        if (!operation)
            return;
        const auto volume = operation->getVolume();
        Operations::SpinCoatingOptionsDialog dialog(volume ? volume->getSizeZ() : 0, mainWindow);
        if (dialog.exec() == QDialog::Accepted)
            dialog.applyTo(*operation);
    }
};

} // namespace Observers
} // namespace Ui
