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

// Runs the isotropic deposition dialog, listing the materials of catalogue process
// `processId` (18 for "Isotropic Deposition", 3 for "CVD").
// When it is accepted, the values go to the operation in progress.
class IsotropicFilmDepositionObserver : public Util::IObserver
{
public:
    IsotropicFilmDepositionObserver(Core::Operations::OperationContext &context, QWidget *mainWindow, int processId);
    void update() override;

private:
    Core::Operations::OperationContext &context;
    QWidget *mainWindow;
    int processId;
};

} // namespace Observers
} // namespace Ui
