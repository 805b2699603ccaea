#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <string>

namespace Core {
namespace Operations {

// Etching whose lateral reach is the horizontal-to-vertical ratio times the depth.
class AnisotropicFilmEtchingOperation : public UndoableProcessOperation
{
public:
    explicit AnisotropicFilmEtchingOperation(OperationContext &context);

    void setDepth(float value);
    void setRatio(float value);
    void setMaterial(uint32_t value);

    float getDepth() const { return depth; }
    float getRatio() const { return ratio; }
    uint32_t getMaterial() const { return material; }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return depthSet && ratioSet && materialSet; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    float depth = 0;
    bool depthSet = false;
    float ratio = 0;
    bool ratioSet = false;
    uint32_t material = 0;
    bool materialSet = false;
};

} // namespace Operations
} // namespace Core
