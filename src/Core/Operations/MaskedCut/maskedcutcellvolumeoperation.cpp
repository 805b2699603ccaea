#include "Core/Operations/MaskedCut/maskedcutcellvolumeoperation.h"

#include "Core/Operations/MaskedCut/cutcellvolume.h"

namespace Core {
namespace Operations {

MaskedCutCellVolumeOperation::MaskedCutCellVolumeOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Masked Cut", 34, QStringLiteral("MaskedCut"))
{
}

void MaskedCutCellVolumeOperation::setMask(const std::vector<bool> &bits, int32_t width, int32_t height)
{
    setMask(Mask(bits, width, height));
}

void MaskedCutCellVolumeOperation::setMask(const Mask &value)
{
    mask = value;
    maskGiven = mask.getWidth() != 0 && mask.getHeight() != 0;
    if (volume) {
        volume->setTopMask(mask.getBits(), mask.getWidth(), mask.getHeight());
        overlayShown = true;
        context.notifyUpdate();
    }
}

void MaskedCutCellVolumeOperation::process()
{
    CutCellVolume(volume.get(), mask).cut();
    clearOverlay();
}

void MaskedCutCellVolumeOperation::end()
{
    if (!volumeChosen || !volume || !parametersComplete()) {
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

void MaskedCutCellVolumeOperation::cancel()
{
    if (overlayShown)
        clearOverlay();
    context.showMessage(getName() + ": Operation Canceled!");
    context.interpreter.reset();
    context.abandonOperation();
}

void MaskedCutCellVolumeOperation::clearOverlay()
{
    if (volume)
        volume->setTopMask({}, 0, 0);
    overlayShown = false;
}

} // namespace Operations
} // namespace Core
