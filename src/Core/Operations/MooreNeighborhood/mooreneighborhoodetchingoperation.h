#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <optional>

namespace Core {
namespace Operations {

// Moore-neighbourhood etching `depth` cells deep. It prints and records the same name
// as the deposition.
class MooreNeighborhoodEtchingOperation : public UndoableProcessOperation
{
public:
    explicit MooreNeighborhoodEtchingOperation(OperationContext &context);

    // In cells.
    void setDepth(int32_t cells) { depth = cells; }
    void setMaterial(uint32_t materialId) { material = materialId; }
    int32_t getDepth() const { return depth.value_or(0); }
    uint32_t getMaterial() const { return material.value_or(0); }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return depth && material; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    std::optional<int32_t> depth;
    std::optional<uint32_t> material;
};

} // namespace Operations
} // namespace Core
