#include "Core/Operations/ObjectBuilding/gluesubstrateoperation.h"

#include "Core/Operations/operationcontext.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;
using Model::Automaton::TotalVolumePtr;

namespace {
constexpr uint32_t largestSize = 999999999;
}

GlueSubstrateOperation::GlueSubstrateOperation(OperationContext &context)
    : ObjectOperation("Glue Volumes", 12), context(context)
{
}

TotalVolumePtr GlueSubstrateOperation::selectedVolume(const TotalVolumePtr &except) const
{
    for (const Model::ObjectPtr &o : context.selectedObjects()) {
        auto volume = std::dynamic_pointer_cast<TotalVolume>(o);
        if (volume && volume != except)
            return volume;
    }
    return nullptr;
}

void GlueSubstrateOperation::waitForSelection(const char *prompt)
{
    context.showMessage(prompt);
    context.interpreter.waitForEnter(this);
    context.setSelectionMode(true);
}

void GlueSubstrateOperation::execute()
{
    if (counter == 0) {
        base = selectedVolume(nullptr);
        if (!base) {
            waitForSelection("Glue Volumes: select the base cell volume and press Enter/Return.");
            return;
        }
        context.showMessage("Glue Volumes: base cell volume selected. Select top cell volume and press enter");
        counter = 1;
        // The base leaves the selection so that the next one chosen is the top.
        context.clearSelection();
        context.notifyUpdate();
        waitForSelection("Glue Volumes: select the top cell volume and press Enter/Return.");
        return;
    }
    if (counter == 1) {
        top = selectedVolume(base);
        if (!top) {
            waitForSelection("Glue Volumes: select the top cell volume and press Enter/Return.");
            return;
        }
        context.showMessage("Glue Volumes: top cell volume selected.");
        counter = 2;
        context.clearSelection();
        context.setSelectionMode(false);
        context.notifyUpdate();
        measure();
        notifyOptionsObserver();
        end();
    }
}

void GlueSubstrateOperation::measure()
{
    contents = measureGlueContents(*base, *top);
    minimumX = std::max(base->getSizeX(), top->getSizeX());
    minimumY = std::max(base->getSizeY(), top->getSizeY());
    layout.finalX = minimumX;
    layout.finalY = minimumY;
    layout.finalZ = contents.stackedHeight() + 1;
    layout.shiftX = 0;
    layout.shiftY = 0;
    layout.flip = false;
    cellSizeX = std::max(base->getCellSizeX(), top->getCellSizeX());
    cellSizeY = std::max(base->getCellSizeY(), top->getCellSizeY());
    cellSizeZ = std::max(base->getCellSizeZ(), top->getCellSizeZ());
}

void GlueSubstrateOperation::setFinalSize(uint32_t x, uint32_t y, uint32_t z)
{
    layout.finalX = std::min(std::max(x, minimumX), std::max(minimumX, largestSize));
    layout.finalY = std::min(std::max(y, minimumY), std::max(minimumY, largestSize));
    layout.finalZ = std::min(std::max(z, contents.stackedHeight()), std::max(contents.stackedHeight(), largestSize));
    setShift(layout.shiftX, layout.shiftY);
}

void GlueSubstrateOperation::setShift(int32_t x, int32_t y)
{
    layout.shiftX = std::min(std::max(x, 0), std::max(getMaximumShiftX(), 0));
    layout.shiftY = std::min(std::max(y, 0), std::max(getMaximumShiftY(), 0));
}

void GlueSubstrateOperation::end()
{
    if (counter != 2 || !base || !top || base == top) {
        cancel();
        return;
    }
    counter = 3;
    const std::vector<uint32_t> ids = glueMaterials(*base, *top, contents, layout);
    result = std::make_shared<TotalVolume>(layout.finalX, layout.finalY, layout.finalZ, cellSizeX, cellSizeY,
                                           cellSizeZ, base->getPosition(), ids);
    result->getPainter()->regenerate();
    context.scene.add(result);
    context.removeFromScene(base);
    context.removeFromScene(top);
    context.notifyUpdate();
    context.showMessage("Extract Film: film extracted.");
    context.interpreter.reset();
    context.finishOperation();
}

void GlueSubstrateOperation::cancel()
{
    context.interpreter.reset();
    context.setSelectionMode(false);
    context.abandonOperation();
}

UndoResult GlueSubstrateOperation::undo()
{
    context.removeFromScene(result);
    context.scene.add(base);
    context.scene.add(top);
    context.notifyUpdate();
    return UndoResult::Undone;
}

void GlueSubstrateOperation::redo()
{
    context.removeFromScene(base);
    context.removeFromScene(top);
    context.scene.add(result);
    context.notifyUpdate();
}

} // namespace Operations
} // namespace Core
