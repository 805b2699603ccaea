#include "UI/Observers/maskedcutobserver.h"

#include "Core/Operations/MaskedCut/maskedcutcellvolumeoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/maskedcutoptionsdialog.h"

namespace Ui {
namespace Observers {

MaskedCutObserver::MaskedCutObserver(Core::Operations::OperationContext &context, QWidget *mainWindow)
    : context(context), mainWindow(mainWindow)
{
}

void MaskedCutObserver::update()
{
    auto operation = std::dynamic_pointer_cast<Core::Operations::MaskedCutCellVolumeOperation>(context.getCurrentOperation());
    if (!operation)
        return;
    Operations::MaskedCutOptionsDialog dialog(mainWindow);
    Core::Operations::MaskedCutCellVolumeOperation *target = operation.get();
    QObject::connect(&dialog, &Operations::MaskedCutOptionsDialog::maskChanged,
                     [target](const Core::Operations::Mask &mask) { target->setMask(mask); });
    if (dialog.exec() != QDialog::Accepted) {
        // The applied mask was only shown; a rejected dialog cuts nothing.
        operation->setMask(Core::Operations::Mask());
        return;
    }
    operation->setMask(dialog.getMask());
}

} // namespace Observers
} // namespace Ui
