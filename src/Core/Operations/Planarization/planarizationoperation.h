#pragma once

#include "Core/Operations/processoperation.h"

#include <cstdint>
#include <optional>

namespace Core {
namespace Operations {

// "Planarization": empties the chosen cell volume below a minimum and from a maximum
// height upwards, both in cells.
class PlanarizationOperation : public UndoableProcessOperation
{
public:
    explicit PlanarizationOperation(OperationContext &context);

    void setMaximumHeight(uint32_t cells) { maximumHeight = cells; }
    void setMinimumHeight(uint32_t cells) { minimumHeight = cells; }

    uint32_t getMaximumHeight() const { return maximumHeight.value_or(0); }
    uint32_t getMinimumHeight() const { return minimumHeight.value_or(0); }
    bool isMaximumHeightSet() const { return maximumHeight.has_value(); }
    bool isMinimumHeightSet() const { return minimumHeight.has_value(); }

    void cancel() override;

protected:
    bool parametersComplete() const override { return maximumHeight.has_value() && minimumHeight.has_value(); }
    void process() override;
    // Whatever silicon was cut away, the lattice no longer matches the cells.
    bool marksLatticeStale() const override { return true; }

private:
    std::optional<uint32_t> maximumHeight;
    std::optional<uint32_t> minimumHeight;
};

} // namespace Operations
} // namespace Core
