#include "Core/Operations/SiOxidation/simplesioxidationoperation.h"

#include "Core/Operations/SiOxidation/simplesioxidation.h"

namespace Core {
namespace Operations {

SimpleSiOxidationOperation::SimpleSiOxidationOperation(OperationContext &context)
    : UndoableProcessOperation(context, "Simple Si Oxidation", 26, QStringLiteral("SiOxidation"))
{
}

void SimpleSiOxidationOperation::setThickness(double microns)
{
    thickness = microns;
    time.reset();
}

void SimpleSiOxidationOperation::setTime(double hours, double kelvin, double atmospheres)
{
    time = hours;
    temperature = kelvin;
    pressure = atmospheres;
    thickness.reset();
}

double SimpleSiOxidationOperation::oxideThickness() const
{
    if (time)
        return SimpleSiOxidation::dealGrove(*time, temperature, pressure).thickness;
    return thickness.value_or(0.0);
}

void SimpleSiOxidationOperation::process()
{
    SimpleSiOxidation(volume.get(), getMicronConversion()).simulate(oxideThickness());
}

} // namespace Operations
} // namespace Core
