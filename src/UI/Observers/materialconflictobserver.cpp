#include "UI/Observers/materialconflictobserver.h"

#include "Model/Materials/materialconflict.h"
#include "UI/materialconflictdialog.h"

namespace Ui {
namespace Observers {

using Model::Materials::MaterialConflict;

MaterialConflictObserver::MaterialConflictObserver(QWidget *mainWindow) : mainWindow(mainWindow) {}

void MaterialConflictObserver::update()
{
    MaterialConflict &conflict = MaterialConflict::pending();
    if (!conflict.isActive())
        return;
    MaterialConflictDialog dialog(conflict.loaded(), conflict.existing(), mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    conflict.settle(dialog.choice(), dialog.replacementId());
}

} // namespace Observers
} // namespace Ui
