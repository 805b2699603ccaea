#include "UI/Observers/photolithographyobserver.h"

#include "Core/Operations/Photolithography/photolithographyoperation.h"
#include "Core/Operations/operationcontext.h"
#include "UI/Operations/photolithographydialog.h"

namespace Ui {
namespace Observers {

void PhotolithographyObserver::update()
{
    auto operation = current<Core::Operations::PhotolithographyOperation>();
    if (!operation)
        return;
    Operations::PhotolithographyDialog dialog(mainWindow);
    if (const auto volume = operation->getVolume())
        dialog.setColumnCounts(static_cast<int>(volume->getSizeX()), static_cast<int>(volume->getSizeY()));
    Core::Operations::PhotolithographyOperation *target = operation.get();
    QObject::connect(&dialog, &Operations::PhotolithographyDialog::topMaskChanged,
                     [target](const Core::Operations::Mask &mask) { target->setTopMask(mask); });
    QObject::connect(&dialog, &Operations::PhotolithographyDialog::bottomMaskChanged,
                     [target](const Core::Operations::Mask &mask) { target->setBottomMask(mask); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setMaterial(dialog.getMaterial());
    operation->setTopMask(dialog.getTopMask());
    operation->setBottomMask(dialog.getBottomMask());
}

} // namespace Observers
} // namespace Ui
