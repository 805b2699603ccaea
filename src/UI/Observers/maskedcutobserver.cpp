#include "UI/Observers/maskedcutobserver.h"

#include "Core/Operations/MaskedCut/maskedcutcellvolumeoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/maskedcutoptionsdialog.h"

namespace Ui {
namespace Observers {

void MaskedCutObserver::update()
{
    auto operation = current<Core::Operations::MaskedCutCellVolumeOperation>();
    if (!operation)
        return;
    Operations::MaskedCutOptionsDialog dialog(mainWindow);
    if (const auto volume = operation->getVolume())
        dialog.setColumnCounts(static_cast<int>(volume->getSizeX()), static_cast<int>(volume->getSizeY()));
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
