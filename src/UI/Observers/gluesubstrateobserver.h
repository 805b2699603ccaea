#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// Offers the glue's measured sizes and shifts; an accepted dialog hands the sizes, the
// shifts and the flip to the operation. A rejected one leaves the defaults.
class GlueSubstrateObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
