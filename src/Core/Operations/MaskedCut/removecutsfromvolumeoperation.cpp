#include "Core/Operations/MaskedCut/removecutsfromvolumeoperation.h"

#include "Core/Operations/MaskedCut/cutcellvolume.h"

namespace Core {
namespace Operations {

RemoveCutsFromVolumeOperation::RemoveCutsFromVolumeOperation(OperationContext &context)
    : ProcessOperation(context, "Remove Cuts", 35)
{
}

void RemoveCutsFromVolumeOperation::process()
{
    // The empty mask leaves every column open.
    CutCellVolume(volume.get(), Mask()).uncutAll();
}

void RemoveCutsFromVolumeOperation::end()
{
    if (!volumeChosen || !volume) {
        cancel();
        return;
    }
    process();
    volume->setTopMask({}, 0, 0);
    volume->getPainter()->regenerate();
    context.notifyUpdate();
    context.showMessage(getName() + ": Cut planes changed.");
    context.interpreter.reset();
    context.finishOperation();
}

void RemoveCutsFromVolumeOperation::cancel()
{
    context.showMessage(getName() + ": Operation Canceled!");
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
