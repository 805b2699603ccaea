#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>

namespace Core {
namespace Operations {

// Moore-neighbourhood deposition of a film `thickness` cells thick.
class MooreNeighborhoodDepositionOperation : public UndoableProcessOperation
{
public:
    explicit MooreNeighborhoodDepositionOperation(OperationContext &context);

    // In cells.
    void setThickness(int32_t cells);
    void setMaterial(uint32_t materialId);
    int32_t getThickness() const { return thickness; }
    uint32_t getMaterial() const { return material; }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thicknessSet && materialSet; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    int32_t thickness = 0;
    bool thicknessSet = false;
    uint32_t material = 0;
    bool materialSet = false;
};

} // namespace Operations
} // namespace Core
