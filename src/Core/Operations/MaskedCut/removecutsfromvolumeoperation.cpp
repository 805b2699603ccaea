#include "Core/Operations/MaskedCut/removecutsfromvolumeoperation.h"

#include "Core/Operations/MaskedCut/cutcellvolume.h"

namespace Core {
namespace Operations {

RemoveCutsFromVolumeOperation::RemoveCutsFromVolumeOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Remove Cuts", 35, QStringLiteral("RemoveCuts"))
{
}

void RemoveCutsFromVolumeOperation::process()
{
    // The empty mask leaves every column open.
    CutCellVolume(volume.get(), Mask()).uncutAll();
    volume->setTopMask({}, 0, 0);
}

void RemoveCutsFromVolumeOperation::end()
{
    if (!volumeChosen || !volume) {
        cancel();
        return;
    }
    applyProcess();
    volume->getPainter()->regenerate();
    context.notifyUpdate();
    context.showMessage(getName() + (changedNothing() ? ": no cell changed." : ": Cut planes changed."));
    context.interpreter.reset();
    finishStep();
}

void RemoveCutsFromVolumeOperation::cancel()
{
    context.showMessage(getName() + ": Operation Canceled!");
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
