#pragma once

#include "UI/Observers/windowobserver.h"

#include <QString>

namespace Ui {
namespace Observers {

// The save operations' observer: asks for the document location ("Choose location",
// "Kelvane file (*.mem)", from the home folder) and, after saving, sets the window
// title to "Kelvane  " followed by the path, or shows the error box.
class DocumentSavedObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;

    static const QString fileFilter;
    static const QString titlePrefix; // "Kelvane  "
};

} // namespace Observers
} // namespace Ui
