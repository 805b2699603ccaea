#pragma once

#include "Core/Operations/processoperation.h"

#include <cstdint>
#include <optional>

namespace Core {
namespace Operations {

// "Simple RIE": etches a number of cell layers of one material vertically from the
// faces exposed at the top and/or the bottom of the chosen cell volume.
class SimpleReactiveIonEtchingOperation : public UndoableProcessOperation
{
public:
    explicit SimpleReactiveIonEtchingOperation(OperationContext &context);

    void setMaterial(uint32_t materialId) { material = materialId; }
    // A count of cell layers; the fraction is dropped when the etch runs.
    void setDepth(double layers) { depth = layers; }
    // Bit 1 etches from the top, bit 2 from below.
    void setDirections(uint8_t bits) { directions = bits; }

    uint32_t getMaterial() const { return material.value_or(0); }
    double getDepth() const { return depth.value_or(0.0); }
    uint8_t getDirections() const { return directions; }
    bool isMaterialSet() const { return material.has_value(); }
    bool isDepthSet() const { return depth.has_value(); }

protected:
    bool parametersComplete() const override { return material.has_value() && depth.has_value(); }
    void process() override;
    bool marksLatticeStale() const override { return material == 1u; }

private:
    std::optional<uint32_t> material;
    std::optional<double> depth;
    uint8_t directions = 1;
};

} // namespace Operations
} // namespace Core
