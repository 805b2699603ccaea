#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <string>

namespace Core {
namespace Operations {

// Deposition whose lateral reach is the horizontal-to-vertical ratio times the film
// thickness.
class AnisotropicFilmDepositionOperation : public UndoableProcessOperation
{
public:
    explicit AnisotropicFilmDepositionOperation(OperationContext &context);

    void setThickness(float value);
    void setRatio(float value);
    void setMaterial(uint32_t value);

    float getThickness() const { return thickness; }
    float getRatio() const { return ratio; }
    uint32_t getMaterial() const { return material; }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thicknessSet && ratioSet && materialSet; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    float thickness = 0;
    bool thicknessSet = false;
    float ratio = 0;
    bool ratioSet = false;
    uint32_t material = 0;
    bool materialSet = false;
};

} // namespace Operations
} // namespace Core
