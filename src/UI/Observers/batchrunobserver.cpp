#include "UI/Observers/batchrunobserver.h"

#include "Core/Operations/ObjectOperations/selectvolumesoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/glwidget.h"

namespace Ui {
namespace Observers {

void BatchRunObserver::update()
{
    const auto operation =
        current<Core::Operations::SelectVolumesOperation>();
    if (!operation)
        return;
    GLWidget *view = mainWindow ? mainWindow->findChild<GLWidget *>() : nullptr;
    RunProcessesDialog dialog(context, view, operation->getVolume(), QString(), mainWindow);
    dialog.exec();
}

} // namespace Observers
} // namespace Ui
