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

// Runs the photolithography dialog. Masks applied in it are shown on the volume at once;
// when it is accepted, the resist and both masks go to the operation in progress.
class PhotolithographyObserver : public Util::IObserver
{
public:
    PhotolithographyObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
