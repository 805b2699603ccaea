#include "UI/Observers/anisotropicetchingobserver.h"

#include "Core/Operations/AnisotropicFilmEtching/anisotropicfilmetchingoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/anisotropicetchingdialog.h"

namespace Ui {
namespace Observers {

AnisotropicEtchingObserver::AnisotropicEtchingObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void AnisotropicEtchingObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::AnisotropicFilmEtchingOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::AnisotropicEtchingDialog dialog(mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setDepth(dialog.getDepth());
    operation->setRatio(dialog.getRatio());
    operation->setMaterial(dialog.getMaterial());
}

} // namespace Observers
} // namespace Ui
