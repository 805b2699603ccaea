#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <string>

namespace Core {
namespace Operations {

// Isotropic etching of one material to a depth in length units.
class IsotropicFilmEtchingOperation : public UndoableProcessOperation
{
public:
    explicit IsotropicFilmEtchingOperation(OperationContext &context);

    void setDepth(float value);
    void setMaterial(uint32_t value);

    float getDepth() const { return depth; }
    uint32_t getMaterial() const { return material; }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return depthSet && materialSet; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    float depth = 0;
    bool depthSet = false;
    uint32_t material = 0;
    bool materialSet = false;
};

} // namespace Operations
} // namespace Core
