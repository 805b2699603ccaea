#pragma once

#include "Core/Operations/Photolithography/mask.h"
#include "Core/Operations/processoperation.h"

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// Hides the columns of the chosen cell volume that a top-down mask leaves open. Cuts
// add up: undo takes this operation's cut away again, redo puts it back.
class MaskedCutCellVolumeOperation : public UndoableProcessOperation
{
public:
    explicit MaskedCutCellVolumeOperation(OperationContext &context);

    // Keeps a copy and, once a volume is chosen, shows it above the volume at once. A
    // mask counts as given when both its sizes are non-zero.
    void setMask(const std::vector<bool> &bits, int32_t width, int32_t height);
    void setMask(const Mask &mask);
    const Mask &getMask() const { return mask; }
    bool isMaskGiven() const { return maskGiven; }

    void end() override;
    void cancel() override;

protected:
    bool parametersComplete() const override { return maskGiven; }
    void process() override;

private:
    void clearOverlay();

    Mask mask;
    bool maskGiven = false;
    bool overlayShown = false;
};

} // namespace Operations
} // namespace Core
