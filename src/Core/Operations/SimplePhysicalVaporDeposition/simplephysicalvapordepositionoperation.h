#pragma once

#include "Core/Operations/SimplePhysicalVaporDeposition/depositon.h"
#include "Core/Operations/processoperation.h"

#include <atomic>
#include <optional>
#include <string>

namespace Core {
namespace Operations {

// Physical vapour deposition from the top, the bottom or both. It shares the snapshot
// key of isotropic deposition and counts its own instances.
class SimplePhysicalVaporDepositionOperation : public UndoableProcessOperation
{
public:
    explicit SimplePhysicalVaporDepositionOperation(OperationContext &context);

    void setThickness(float value) { thickness = value; }
    void setRatio(float value) { ratio = value; }
    void setSide(DepositOn value) { side = value; }
    void setMaterial(uint32_t value) { material = value; }

    float getThickness() const { return thickness.value_or(0); }
    float getRatio() const { return ratio.value_or(0); }
    std::optional<DepositOn> getSide() const { return side; }
    uint32_t getMaterial() const { return material.value_or(0); }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thickness && ratio && side && material; }
    void process() override;
    bool marksLatticeStale() const override { return material == 1; }

private:
    std::optional<float> thickness;
    std::optional<float> ratio;
    std::optional<DepositOn> side;
    std::optional<uint32_t> material;
};

} // namespace Operations
} // namespace Core
