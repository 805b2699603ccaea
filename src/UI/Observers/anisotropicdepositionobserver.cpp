#include "UI/Observers/anisotropicdepositionobserver.h"

#include "Core/Operations/AnisotropicFilmDeposition/anisotropicfilmdepositionoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/anisotropicdepositiondialog.h"

namespace Ui {
namespace Observers {

AnisotropicDepositionObserver::AnisotropicDepositionObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void AnisotropicDepositionObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::AnisotropicFilmDepositionOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::AnisotropicDepositionDialog dialog(mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setThickness(dialog.getThickness());
    operation->setRatio(dialog.getRatio());
    operation->setMaterial(dialog.getMaterial());
}

} // namespace Observers
} // namespace Ui
