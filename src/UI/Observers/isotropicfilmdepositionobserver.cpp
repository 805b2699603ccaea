#include "UI/Observers/isotropicfilmdepositionobserver.h"

#include "Core/Operations/IsotropicFilmDeposition/isotropicfilmdepositionoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/isotropicdepositiondialog.h"

namespace Ui {
namespace Observers {

IsotropicFilmDepositionObserver::IsotropicFilmDepositionObserver(Core::Operations::OperationContext &context, QWidget *mainWindow, int processId)
    : context(context), mainWindow(mainWindow), processId(processId)
{
}

void IsotropicFilmDepositionObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::IsotropicFilmDepositionOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::IsotropicDepositionDialog dialog(processId, mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setThickness(dialog.getThickness());
    operation->setMaterial(dialog.getMaterial());
}

} // namespace Observers
} // namespace Ui
