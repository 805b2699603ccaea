#pragma once

#include "Core/Operations/processoperation.h"

#include <atomic>
#include <optional>
#include <string>

namespace Core {
namespace Operations {

// Electroplating of a film onto a conducting material. Plating silicon invalidates the
// volume's silicon lattice; a silicon conductor only receives the film.
class ElectrodepositionOperation : public UndoableProcessOperation
{
public:
    explicit ElectrodepositionOperation(OperationContext &context);

    void setThickness(float value) { thickness = value; }
    void setConductingMaterial(uint32_t value) { conductingMaterial = value; }
    void setDepositedMaterial(uint32_t value) { depositedMaterial = value; }

    float getThickness() const { return thickness.value_or(0); }
    uint32_t getConductingMaterial() const { return conductingMaterial.value_or(0); }
    uint32_t getDepositedMaterial() const { return depositedMaterial.value_or(0); }

    // Instance numbers of this class's snapshot records.
    static std::atomic<int32_t> instanceCounter;

protected:
    bool parametersComplete() const override { return thickness && conductingMaterial && depositedMaterial; }
    void process() override;
    bool marksLatticeStale() const override { return depositedMaterial == 1u; }

private:
    std::optional<float> thickness;
    std::optional<uint32_t> conductingMaterial;
    std::optional<uint32_t> depositedMaterial;
};

} // namespace Operations
} // namespace Core
