#include "UI/Observers/runmodelextractionobserver.h"

#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "UI/Observers/destroymodelextractiondialogobserver.h"
#include "UI/Operations/extractmodeldialog.h"

namespace Ui {
namespace Observers {

RunModelExtractionObserver::RunModelExtractionObserver(
    Core::Operations::OperationContext &context, QWidget *mainWindow,
    const std::shared_ptr<Core::Operations::RunModelExtraction> &operation)
    : WindowObserver(context, mainWindow), operation(operation)
{
}

void RunModelExtractionObserver::update()
{
    const auto op = operation.lock();
    if (!op)
        return;
    // Deletes itself when closed.
    auto *dialog = new Operations::ExtractModelDialog(op, mainWindow);
    op->setCloseDialogObserver(std::make_shared<DestroyModelExtractionDialogObserver>(dialog));
    dialog->show();
}

} // namespace Observers
} // namespace Ui
