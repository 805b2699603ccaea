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

// Shows the visualisation options of the chosen volume; an accepted dialog writes the
// material colours into the catalogue and hands the options to the operation.
class ChangeTotalVolumeViewOptionsObserver : public Util::IObserver
{
public:
    ChangeTotalVolumeViewOptionsObserver(Core::Operations::OperationContext &context, QWidget *mainWindow);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
};

} // namespace Observers
} // namespace Ui
