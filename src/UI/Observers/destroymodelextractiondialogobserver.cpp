#include "UI/Observers/destroymodelextractiondialogobserver.h"

#include "UI/Operations/extractmodeldialog.h"

namespace Ui {
namespace Observers {

DestroyModelExtractionDialogObserver::DestroyModelExtractionDialogObserver(Operations::ExtractModelDialog *dialog)
    : dialog(dialog)
{
}

void DestroyModelExtractionDialogObserver::update()
{
    if (dialog)
        dialog->close();
}

} // namespace Observers
} // namespace Ui
