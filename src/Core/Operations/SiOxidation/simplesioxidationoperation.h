#pragma once

#include "Core/Operations/processoperation.h"

#include <optional>

namespace Core {
namespace Operations {

// Thermal oxidation of silicon ("Simple Si Oxidation"), either to a given oxide
// thickness or for a time at a temperature and pressure (Deal-Grove). Runs when either
// was given; the last one given counts. A missing micron conversion counts as 1.
// Undoable; the volume's silicon lattice is stale afterwards.
class SimpleSiOxidationOperation : public UndoableProcessOperation
{
public:
    explicit SimpleSiOxidationOperation(OperationContext &context);

    // Oxide thickness in microns.
    void setThickness(double microns);
    // Oxidation time in hours, temperature in kelvin, oxygen pressure in atmospheres.
    void setTime(double hours, double kelvin, double atmospheres);
    // Length units of the cell volume per micron.
    void setMicronConversion(double value) { micronConversion = value; }

    bool isTimeSet() const { return time.has_value(); }
    bool isThicknessSet() const { return thickness.has_value(); }
    double getThickness() const { return thickness.value_or(0); }
    double getTime() const { return time.value_or(0); }
    double getTemperature() const { return temperature; }
    double getPressure() const { return pressure; }
    double getMicronConversion() const { return micronConversion.value_or(1.0); }
    // The oxide thickness the run grows, in microns.
    double oxideThickness() const;

protected:
    bool parametersComplete() const override { return thickness || time; }
    void process() override;
    bool marksLatticeStale() const override { return true; }

private:
    std::optional<double> thickness;
    std::optional<double> time;
    double temperature = 0.0;
    double pressure = 0.0;
    std::optional<double> micronConversion;
};

} // namespace Operations
} // namespace Core
