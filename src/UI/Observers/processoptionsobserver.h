#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// The options observer of a described process: when the operation asks for its values,
// runs the process's options dialog over the main window and, if it is accepted, hands
// the values over. A rejected dialog leaves the operation without values, so it cancels.
class ProcessOptionsObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
