#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>

namespace Core {
namespace Operations {

// Moore-neighbourhood etching `depth` cells deep. It prints and records the same name
// as the deposition.
class MooreNeighborhoodEtchingOperation : public UndoableProcessOperation
{
public:
    explicit MooreNeighborhoodEtchingOperation(OperationContext &context);

    // In cells.
    void setDepth(int32_t cells);
    void setMaterial(uint32_t materialId);
    int32_t getDepth() const { return depth; }
    uint32_t getMaterial() const { return material; }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return depthSet && materialSet; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    int32_t depth = 0;
    bool depthSet = false;
    uint32_t material = 0;
    bool materialSet = false;
};

} // namespace Operations
} // namespace Core
