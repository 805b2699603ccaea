#pragma once

#include "Core/Operations/Planarization/planarizationoperation.h"
#include "UI/Observers/windowobserver.h"
#include "UI/Operations/planarizationoptionsdialog.h"

#include <QDialog>

namespace Ui {
namespace Observers {

// Runs the planarization options dialog for the operation in progress; its maximum
// height starts at the chosen volume's height.
class PlanarizationObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;

    void update() override
    {
        const auto operation = current<Core::Operations::PlanarizationOperation>();
        if (!operation)
            return;
        const auto volume = operation->getVolume();
        Operations::PlanarizationOptionsDialog dialog(volume ? volume->getSizeZ() : 0, mainWindow);
        if (dialog.exec() == QDialog::Accepted)
            dialog.applyTo(*operation);
    }
};

} // namespace Observers
} // namespace Ui
