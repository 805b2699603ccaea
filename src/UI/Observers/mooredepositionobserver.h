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

// Runs the Moore options dialog for a deposition.
// When it is accepted, the values go to the operation in progress.
class MooreDepositionObserver : public Util::IObserver
{
public:
    MooreDepositionObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
