#include "UI/Observers/isotropicfilmetchingobserver.h"

#include "Core/Operations/IsotropicFilmEtching/isotropicfilmetchingoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/isotropicetchingdialog.h"

namespace Ui {
namespace Observers {

IsotropicFilmEtchingObserver::IsotropicFilmEtchingObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void IsotropicFilmEtchingObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::IsotropicFilmEtchingOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::IsotropicEtchingDialog dialog(mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setDepth(dialog.getDepth());
    operation->setMaterial(dialog.getMaterial());
}

} // namespace Observers
} // namespace Ui
