#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <string>

namespace Core {
namespace Operations {

// Electroplating of a film onto a conducting material. It never invalidates the
// silicon lattice: silicon can only conduct, not be plated here.
class ElectrodepositionOperation : public UndoableProcessOperation
{
public:
    explicit ElectrodepositionOperation(OperationContext &context);

    void setThickness(float value);
    void setConductingMaterial(uint32_t value);
    void setDepositedMaterial(uint32_t value);

    float getThickness() const { return thickness; }
    uint32_t getConductingMaterial() const { return conductingMaterial; }
    uint32_t getDepositedMaterial() const { return depositedMaterial; }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thicknessSet && conductingMaterialSet && depositedMaterialSet; }
    void process() override;

private:
    float thickness = 0;
    bool thicknessSet = false;
    uint32_t conductingMaterial = 0;
    bool conductingMaterialSet = false;
    uint32_t depositedMaterial = 0;
    bool depositedMaterialSet = false;
};

} // namespace Operations
} // namespace Core
