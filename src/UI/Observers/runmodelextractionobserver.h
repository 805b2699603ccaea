#pragma once

#include "UI/Observers/windowobserver.h"

#include <memory>

namespace Core {
namespace Operations {
class RunModelExtraction;
}
} // namespace Core

namespace Ui {
namespace Observers {

// Opens the extraction's non-modal dialog over the main window once a volume is chosen,
// and gives the operation the observer that closes it again.
class RunModelExtractionObserver : public WindowObserver
{
public:
    RunModelExtractionObserver(Core::Operations::OperationContext &context, QWidget *mainWindow,
                               const std::shared_ptr<Core::Operations::RunModelExtraction> &operation);
    void update() override;

private:
    // Not owning: the operation holds this observer.
    std::weak_ptr<Core::Operations::RunModelExtraction> operation;
};

} // namespace Observers
} // namespace Ui
