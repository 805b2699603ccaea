#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// Shows the visualisation options of the chosen volume; an accepted dialog writes the
// material colours into the catalogue and hands the options to the operation.
class ChangeTotalVolumeViewOptionsObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
