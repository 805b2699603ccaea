#pragma once

#include "Core/Operations/processoperation.h"

#include <optional>

namespace Core {
namespace Operations {

// Ion implantation with annealing. Runs when the dopant and all three lengths are
// given; undoable. The volume's silicon lattice is stale afterwards.
class IonImplantationOperation : public UndoableProcessOperation
{
public:
    explicit IonImplantationOperation(OperationContext &context);

    void setMaterial(uint32_t value) { material = value; }
    void setImplantationDepth(float value) { implantationDepth = value; }
    void setVerticalSpread(float value) { verticalSpread = value; }
    void setAnnealingDistance(float value) { annealingDistance = value; }

    uint32_t getMaterial() const { return material.value_or(0); }
    float getImplantationDepth() const { return implantationDepth.value_or(0); }
    float getVerticalSpread() const { return verticalSpread.value_or(0); }
    float getAnnealingDistance() const { return annealingDistance.value_or(0); }

protected:
    bool parametersComplete() const override
    {
        return material && implantationDepth && verticalSpread && annealingDistance;
    }
    void process() override;
    bool marksLatticeStale() const override { return true; }

private:
    std::optional<uint32_t> material;
    std::optional<float> implantationDepth;
    std::optional<float> verticalSpread;
    std::optional<float> annealingDistance;
};

} // namespace Operations
} // namespace Core
