#pragma once

#include "Core/Operations/ObjectBuilding/volumebuilding.h"
#include "Core/Operations/operation.h"
#include "Model/Automaton/totalvolume.h"

#include <vector>

namespace Core {
namespace Operations {

class OperationContext;

// Stacks the content of a top cell volume onto the content of a base cell volume into
// a new volume that takes the place of both ("Glue Volumes", 12). The user selects the
// base, then the top; the options dialog may enlarge the result, move the top and turn
// it over. Undo puts the two volumes back; redo replaces them again.
class GlueSubstrateOperation : public ObjectOperation
{
public:
    explicit GlueSubstrateOperation(OperationContext &context);

    void execute() override;
    void cancel() override;
    void end() override;
    UndoResult undo() override;
    void redo() override;

    // 0 nothing selected, 1 base selected, 2 both selected, 3 done.
    int32_t getSelectionCounter() const { return counter; }
    Model::Automaton::TotalVolumePtr getBase() const { return base; }
    Model::Automaton::TotalVolumePtr getTop() const { return top; }
    Model::Automaton::TotalVolumePtr getResult() const { return result; }

    // Known once the top is selected.
    const GlueContents &getContents() const { return contents; }
    const GlueLayout &getLayout() const { return layout; }
    uint32_t getStackedHeight() const { return contents.stackedHeight(); }
    uint32_t getMinimumX() const { return minimumX; }
    uint32_t getMinimumY() const { return minimumY; }
    int32_t getMaximumShiftX() const { return int32_t(layout.finalX - (top ? top->getSizeX() : 0)); }
    int32_t getMaximumShiftY() const { return int32_t(layout.finalY - (top ? top->getSizeY() : 0)); }

    // The dialog's values. Sizes below the contents are raised to them and shifts are
    // kept within what the final size allows, so no cell is placed outside the volume.
    void setFinalSize(uint32_t x, uint32_t y, uint32_t z);
    void setShift(int32_t x, int32_t y);
    void setFlipTop(bool flip) { layout.flip = flip; }

private:
    // The first selected cell volume that is not `except`, or null.
    Model::Automaton::TotalVolumePtr selectedVolume(const Model::Automaton::TotalVolumePtr &except) const;
    void waitForSelection(const char *prompt);
    void measure();

    OperationContext &context;
    int32_t counter = 0;
    Model::Automaton::TotalVolumePtr base;
    Model::Automaton::TotalVolumePtr top;
    Model::Automaton::TotalVolumePtr result;
    GlueContents contents;
    GlueLayout layout;
    uint32_t minimumX = 0;
    uint32_t minimumY = 0;
    float cellSizeX = 1.0f;
    float cellSizeY = 1.0f;
    float cellSizeZ = 1.0f;
};

} // namespace Operations
} // namespace Core
