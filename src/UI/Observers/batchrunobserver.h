#pragma once

#include "UI/Observers/windowobserver.h"

namespace Ui {
namespace Observers {

// Opens the batch-run dialog, modally, with the volume the Batch Run operation chose.
class BatchRunObserver : public WindowObserver
{
public:
    using WindowObserver::WindowObserver;
    void update() override;
};

} // namespace Observers
} // namespace Ui
