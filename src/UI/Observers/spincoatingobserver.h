#pragma once

#include "Core/Operations/ColumnPass/columnpass.h"
#include "Core/Operations/SpinCoating/spincoatingoperation.h"
#include "UI/Observers/windowobserver.h"
#include "UI/Operations/spincoatingoptionsdialog.h"

#include <QDialog>
#include <memory>
#include <optional>

namespace Ui {
namespace Observers {

// Runs the "Pour Material" dialog for the operation in progress; its height reaches up
// to the top of the chosen volume and starts one cell above the volume's material.
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
        std::optional<uint32_t> top;
        if (volume)
            top = Core::Operations::filledHeight(*volume);
        Operations::SpinCoatingOptionsDialog dialog(volume ? volume->getSizeZ() : 0, top, mainWindow);
        if (dialog.exec() == QDialog::Accepted)
            dialog.applyTo(*operation);
    }
};

} // namespace Observers
} // namespace Ui
