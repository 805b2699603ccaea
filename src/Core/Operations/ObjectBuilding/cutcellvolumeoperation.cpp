#include "Core/Operations/ObjectBuilding/cutcellvolumeoperation.h"

namespace Core {
namespace Operations {

CutCellVolumeOperation::CutCellVolumeOperation(OperationContext &context)
    : ProcessOperation(context, "Change Cut Planes", 2)
{
}

void CutCellVolumeOperation::remember()
{
    if (originalKept || !volume)
        return;
    volume->getPainter()->getCutLimits(&originalLower, &originalUpper);
    originalKept = true;
}

void CutCellVolumeOperation::setCutBox(const CellCorner &l, const CellCorner &u)
{
    lower = l;
    upper = u;
    boxGiven = true;
    if (volume) {
        remember();
        volume->getPainter()->setCutLimits(lower, upper);
    }
}

void CutCellVolumeOperation::previewCutBox(const CellCorner &l, const CellCorner &u)
{
    if (!volume)
        return;
    remember();
    volume->getPainter()->setCutLimits(l, u);
    volume->getPainter()->regenerate();
    appliedLive = true;
    liveLower = l;
    liveUpper = u;
    context.notifyUpdate();
}

void CutCellVolumeOperation::end()
{
    if (!volumeChosen || !volume || !boxGiven) {
        cancel();
        return;
    }
    // A preview already drew this very box; any other box still needs drawing.
    if (!(appliedLive && liveLower == lower && liveUpper == upper))
        volume->getPainter()->regenerate();
    context.notifyUpdate();
    context.showMessage(getName() + ": Cut planes changed.");
    context.interpreter.reset();
    context.finishOperation();
}

void CutCellVolumeOperation::cancel()
{
    // A previewed box was never accepted: the volume shows what it showed before.
    if (volume && appliedLive && originalKept) {
        volume->getPainter()->setCutLimits(originalLower, originalUpper);
        volume->getPainter()->regenerate();
        appliedLive = false;
    }
    context.showMessage(getName() + ": Operation Canceled!");
    context.interpreter.reset();
    context.abandonOperation();
}

} // namespace Operations
} // namespace Core
