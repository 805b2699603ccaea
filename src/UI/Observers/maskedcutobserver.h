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

// Runs the masked cut dialog. A mask applied in it is shown above the volume at once;
// when it is accepted, the mask goes to the operation in progress, and when it is
// rejected, no mask does, so nothing is cut.
class MaskedCutObserver : public Util::IObserver
{
public:
    MaskedCutObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
