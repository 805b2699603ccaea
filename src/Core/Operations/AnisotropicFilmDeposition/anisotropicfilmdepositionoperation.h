#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <optional>
#include <string>

namespace Core {
namespace Operations {

// Deposition whose lateral reach is the horizontal-to-vertical ratio times the film
// thickness.
class AnisotropicFilmDepositionOperation : public UndoableProcessOperation
{
public:
    explicit AnisotropicFilmDepositionOperation(OperationContext &context);

    void setThickness(float value) { thickness = value; }
    void setRatio(float value) { ratio = value; }
    void setMaterial(uint32_t value) { material = value; }

    float getThickness() const { return thickness.value_or(0); }
    float getRatio() const { return ratio.value_or(0); }
    uint32_t getMaterial() const { return material.value_or(0); }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thickness && ratio && material; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    std::optional<float> thickness;
    std::optional<float> ratio;
    std::optional<uint32_t> material;
};

} // namespace Operations
} // namespace Core
