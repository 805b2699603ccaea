#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <string>

namespace Core {
namespace Operations {

// Physical vapour deposition from the top (side 1), the bottom (2) or both (3). It
// shares the snapshot key of isotropic deposition and counts its own instances.
class SimplePhysicalVaporDepositionOperation : public UndoableProcessOperation
{
public:
    explicit SimplePhysicalVaporDepositionOperation(OperationContext &context);

    void setThickness(float value);
    void setRatio(float value);
    void setSide(int32_t value);
    void setMaterial(uint32_t value);

    float getThickness() const { return thickness; }
    float getRatio() const { return ratio; }
    int32_t getSide() const { return side; }
    uint32_t getMaterial() const { return material; }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thicknessSet && ratioSet && sideSet && materialSet; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    float thickness = 0;
    bool thicknessSet = false;
    float ratio = 0;
    bool ratioSet = false;
    int32_t side = 0;
    bool sideSet = false;
    uint32_t material = 0;
    bool materialSet = false;
};

} // namespace Operations
} // namespace Core
