#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// The "Open document" operation's observer: asks for the file ("Choose file",
// "Kelvane file (*.mem)", from the document opened last) and opens it in a new main
// window, titled "Kelvane  " followed by the path and shown maximised. A document that
// cannot be read gives the "Error reading from file" box and no new window.
class DocumentOpenedObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
