#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

class QWidget;

namespace Core {
namespace Operations {
class OperationContext;
}
} // namespace Core

namespace Ui {

// Creates operations by their number together with the observer that opens their
// options dialog. Numbers whose operation does not exist create nothing.
class OperationFactory : public Core::Operations::IOperationFactory
{
public:
    OperationFactory(Core::Operations::OperationContext &context, QWidget *mainWindow);

    Core::Operations::OperationPtr create(int32_t typeId) override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
    // The Batch Run operation's observer, one for all its instances.
    Util::ObserverPtr batchRunObserver;
};

} // namespace Ui
