#include "UI/Observers/cutcellvolumeobserver.h"

#include "Core/Operations/ObjectBuilding/cutcellvolumeoperation.h"
#include "UI/Operations/cutcellvolumedialog.h"

namespace Ui {
namespace Observers {

void CutCellVolumeObserver::update()
{
    const auto operation = current<Core::Operations::CutCellVolumeOperation>();
    if (!operation || !operation->getVolume())
        return;
    const auto volume = operation->getVolume();
    Core::Operations::CutCellVolumeOperation::CellCorner lower, upper;
    volume->getPainter()->getCutLimits(&lower, &upper);
    const Operations::CutCellVolumeDialog::Corner sizes = {int32_t(volume->getSizeX()), int32_t(volume->getSizeY()),
                                                            int32_t(volume->getSizeZ())};
    Operations::CutCellVolumeDialog dialog(sizes, lower, upper, mainWindow);
    Core::Operations::CutCellVolumeOperation *target = operation.get();
    Operations::CutCellVolumeDialog *source = &dialog;
    QObject::connect(&dialog, &Operations::CutCellVolumeDialog::cutBoxChanged,
                     [target, source] { target->previewCutBox(source->getLower(), source->getUpper()); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    operation->setCutBox(dialog.getLower(), dialog.getUpper());
}

} // namespace Observers
} // namespace Ui
