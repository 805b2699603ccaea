#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <optional>
#include <string>

namespace Core {
namespace Operations {

// Isotropic film deposition, offered in the menu as "Isotropic Deposition" and as "CVD".
// Both record typeId 13 and share the snapshot key; the run time goes to the debug log.
class IsotropicFilmDepositionOperation : public UndoableProcessOperation
{
public:
    explicit IsotropicFilmDepositionOperation(OperationContext &context, std::string name = "Isotropic Deposition");

    void setThickness(float value) { thickness = value; }
    void setMaterial(uint32_t value) { material = value; }

    float getThickness() const { return thickness.value_or(0); }
    uint32_t getMaterial() const { return material.value_or(0); }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thickness && material; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    std::optional<float> thickness;
    std::optional<uint32_t> material;
};

} // namespace Operations
} // namespace Core
