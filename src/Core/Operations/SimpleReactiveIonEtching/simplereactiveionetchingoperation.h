#pragma once

#include "Core/Operations/SimpleReactiveIonEtching/etchdirections.h"
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
    void setDirections(EtchDirections d) { directions = d; }

    uint32_t getMaterial() const { return material.value_or(0); }
    double getDepth() const { return depth.value_or(0.0); }
    EtchDirections getDirections() const { return directions; }
    bool isMaterialSet() const { return material.has_value(); }
    bool isDepthSet() const { return depth.has_value(); }

protected:
    bool parametersComplete() const override { return material.has_value() && depth.has_value(); }
    void process() override;
    bool marksLatticeStale() const override { return material == 1u; }

private:
    std::optional<uint32_t> material;
    std::optional<double> depth;
    EtchDirections directions = EtchDirections::FromTop;
};

} // namespace Operations
} // namespace Core
