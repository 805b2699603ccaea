#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// Runs the cut dialog over the chosen volume's current box. A previewed box is shown at
// once; an accepted box goes to the operation, a rejected dialog gives none.
class CutCellVolumeObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
