#include "UI/Observers/exportdataobserver.h"

#include "Core/Operations/ExportData/exportdataoperation.h"
#include "UI/Operations/exportdatadialog.h"

namespace Ui {
namespace Observers {

void ExportDataObserver::update()
{
    const auto operation = current<Core::Operations::ExportDataOperation>();
    if (!operation)
        return;
    Operations::ExportDataDialog dialog(operation->dataNames(), mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setFileName(dialog.fileName());
    operation->setDataName(dialog.dataName());
}

} // namespace Observers
} // namespace Ui
