#pragma once

#include "Core/Operations/Photolithography/mask.h"
#include "Core/Operations/processoperation.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Core {
namespace Operations {

// Develops a resist layer of the chosen cell volume through a top and a bottom mask.
// The masks are shown on the volume from the moment they are handed over until the
// operation ends. Undoable.
class PhotolithographyOperation : public UndoableProcessOperation
{
public:
    explicit PhotolithographyOperation(OperationContext &context);

    void setMaterial(uint32_t materialId) { material = materialId; }
    // Each keeps a copy and, once a volume is chosen, shows it on the volume at once.
    void setTopMask(const std::vector<bool> &bits, int32_t width, int32_t height);
    void setBottomMask(const std::vector<bool> &bits, int32_t width, int32_t height);
    void setTopMask(const Mask &mask);
    void setBottomMask(const Mask &mask);

    uint32_t getMaterial() const { return material.value_or(0); }
    bool isMaterialSet() const { return material.has_value(); }
    const Mask &getTopMask() const { return topMask; }
    const Mask &getBottomMask() const { return bottomMask; }

    void cancel() override;

protected:
    bool parametersComplete() const override { return material.has_value(); }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    void clearOverlays();

    std::optional<uint32_t> material;
    Mask bottomMask;
    Mask topMask;
    bool overlayShown = false;
};

} // namespace Operations
} // namespace Core
