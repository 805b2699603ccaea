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

// Runs the Create Substrate dialog for the operation in progress and, when it is
// accepted, hands the values to the operation.
class CreateSubstrateObserver : public Util::IObserver
{
public:
    CreateSubstrateObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
