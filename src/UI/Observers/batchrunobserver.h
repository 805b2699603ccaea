#pragma once

#include "Util/iobserver.h"

class QWidget;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {
namespace Observers {

// Opens the batch-run dialog, modally, with the volume the Batch Run operation chose.
class BatchRunObserver : public Util::IObserver
{
public:
    BatchRunObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
