#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <optional>

namespace Core {
namespace Operations {

// Simple doping ("Doping"): dopes the dopable cells within a depth of the surface.
// Undoable; the volume's silicon lattice is stale afterwards.
class DopingOperation : public UndoableProcessOperation
{
public:
    explicit DopingOperation(OperationContext &context);

    void setDepth(float value) { depth = value; }
    void setMaterial(uint32_t value) { material = value; }

    float getDepth() const { return depth.value_or(0); }
    uint32_t getMaterial() const { return material.value_or(0); }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return depth && material; }
    void process() override;
    bool marksLatticeStale() const override { return true; }

private:
    std::optional<float> depth;
    std::optional<uint32_t> material;
};

} // namespace Operations
} // namespace Core
