#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <string>

namespace Core {
namespace Operations {

// Isotropic film deposition, offered in the menu as "Isotropic Deposition" and as "CVD".
// Both record typeId 13 and share the snapshot key; the run time goes to the debug log.
class IsotropicFilmDepositionOperation : public UndoableProcessOperation
{
public:
    explicit IsotropicFilmDepositionOperation(OperationContext &context, std::string name = "Isotropic Deposition");

    void setThickness(float value);
    void setMaterial(uint32_t value);

    float getThickness() const { return thickness; }
    uint32_t getMaterial() const { return material; }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thicknessSet && materialSet; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    float thickness = 0;
    bool thicknessSet = false;
    uint32_t material = 0;
    bool materialSet = false;
};

} // namespace Operations
} // namespace Core
