#pragma once

#include "Core/Operations/processoperation.h"

#include <cstdint>
#include <optional>

namespace Core {
namespace Operations {

// "Spin Coating" (the "Pour Material" menu entry): fills every empty cell of the chosen
// cell volume below a height, in cells, with a material.
class SpinCoatingOperation : public UndoableProcessOperation
{
public:
    explicit SpinCoatingOperation(OperationContext &context);

    void setMaterial(uint32_t materialId) { material = materialId; }
    void setHeight(uint32_t cells) { height = cells; }

    uint32_t getMaterial() const { return material.value_or(0); }
    uint32_t getHeight() const { return height.value_or(0); }
    bool isMaterialSet() const { return material.has_value(); }
    bool isHeightSet() const { return height.has_value(); }

protected:
    bool parametersComplete() const override { return material.has_value() && height.has_value(); }
    void process() override;
    // Pouring silicon adds silicon the lattice was not built from.
    bool marksLatticeStale() const override { return material == 1u; }

private:
    std::optional<uint32_t> material;
    std::optional<uint32_t> height;
};

} // namespace Operations
} // namespace Core
