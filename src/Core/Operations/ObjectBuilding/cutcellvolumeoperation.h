#pragma once

#include "Core/Operations/processoperation.h"
#include "Model/Automaton/totalvolumepainter.h"

namespace Core {
namespace Operations {

// Sets the box of cells that the chosen volume's painter shows ("Change Cut Planes");
// no cell changes, so it does not enter the history.
class CutCellVolumeOperation : public ProcessOperation
{
public:
    using CellCorner = Model::Automaton::TotalVolumePainter::CellCorner;

    explicit CutCellVolumeOperation(OperationContext &context);

    // The accepted box, [lower, upper) per axis; applied to the painter at once.
    void setCutBox(const CellCorner &lower, const CellCorner &upper);
    // Shows a box while the dialog is open ("Preview"): applied and redrawn at once.
    void previewCutBox(const CellCorner &lower, const CellCorner &upper);
    bool isBoxGiven() const { return boxGiven; }

    void end() override;
    void cancel() override;

protected:
    bool parametersComplete() const override { return boxGiven; }
    void process() override {}

private:
    void remember();

    CellCorner lower{};
    CellCorner upper{};
    bool boxGiven = false;
    // The box the painter shows after the last preview, and the box before any preview,
    // which a cancelled dialog puts back.
    bool appliedLive = false;
    CellCorner liveLower{};
    CellCorner liveUpper{};
    bool originalKept = false;
    CellCorner originalLower{};
    CellCorner originalUpper{};
};

} // namespace Operations
} // namespace Core
