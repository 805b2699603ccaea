#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// Runs the masked cut dialog. A mask applied in it is shown above the volume at once;
// when it is accepted, the mask goes to the operation in progress, and when it is
// rejected, no mask does, so nothing is cut.
class MaskedCutObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
