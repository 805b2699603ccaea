#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// Runs the photolithography dialog. Masks applied in it are shown on the volume at once;
// when it is accepted, the resist and both masks go to the operation in progress.
class PhotolithographyObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
