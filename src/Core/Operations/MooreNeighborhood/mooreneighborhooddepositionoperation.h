#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <optional>

namespace Core {
namespace Operations {

// Moore-neighbourhood deposition of a film `thickness` cells thick.
class MooreNeighborhoodDepositionOperation : public UndoableProcessOperation
{
public:
    explicit MooreNeighborhoodDepositionOperation(OperationContext &context);

    // In cells.
    void setThickness(int32_t cells) { thickness = cells; }
    void setMaterial(uint32_t materialId) { material = materialId; }
    int32_t getThickness() const { return thickness.value_or(0); }
    uint32_t getMaterial() const { return material.value_or(0); }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thickness && material; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    std::optional<int32_t> thickness;
    std::optional<uint32_t> material;
};

} // namespace Operations
} // namespace Core
