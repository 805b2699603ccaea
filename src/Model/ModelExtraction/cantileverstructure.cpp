#include "Model/ModelExtraction/cantileverstructure.h"

#include "Model/Materials/materialfactory.h"

#include <cmath>

namespace Model {
namespace ModelExtraction {

namespace {

// First root of cos(b) cosh(b) = -1: the clamped-free beam's first mode has
// omega1 = b^2 sqrt(E I / (rho A L^4)).
constexpr double firstModeRoot = 1.875104068711961;

bool usable(double value)
{
    return std::isfinite(value) && value > 0.0;
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

CantileverStructure::BeamSize CantileverStructure::beamSize(const RectangularCuboidEnvelope &beam,
                                                            const CellLengths &cell)
{
    const double alongX = beam.sizeX * cell.x;
    const double alongY = beam.sizeY * cell.y;
    return {alongX <= alongY ? alongY : alongX, alongX <= alongY ? alongX : alongY, beam.sizeZ * cell.z};
}

// The tip stiffness of a clamped-free beam is k = 3 E I / L^3 with I = w t^3 / 12, so the
// compliance is L^3 / (3 E I). The mass that makes sqrt(k / m) the first bending mode
// b^2 sqrt(E I / (rho A L^4)) is m = k / omega1^2 = 3 rho A L / b^4 = 0.24267 rho A L (the
// static deflection shape's 33/140 = 0.2357 would put the resonance 1.5 % high).
double CantileverStructure::capacitance(const RectangularCuboidEnvelope &beam, const CellLengths &cell)
{
    const BeamSize size = beamSize(beam, cell);
    const double density = Materials::MaterialFactory::instance()->getMaterial(beam.material).density;
    const double b2 = firstModeRoot * firstModeRoot;
    return 3 * density * size.width * size.thickness * size.length / (b2 * b2);
}

double CantileverStructure::inductance(const RectangularCuboidEnvelope &beam, const CellLengths &cell)
{
    const BeamSize size = beamSize(beam, cell);
    const double youngModulus = Materials::MaterialFactory::instance()->getMaterial(beam.material).youngModulus;
    const double areaMoment = size.width * size.thickness * size.thickness * size.thickness / 12;
    return size.length * size.length * size.length / (3 * youngModulus * areaMoment);
}

QString CantileverStructure::problem() const
{
    const auto catalogue = Materials::MaterialFactory::instance();
    int index = 0;
    for (const BlockPtr &beam : beams) {
        ++index;
        const Materials::Material material = catalogue->getMaterial(beam->material);
        if (material.id == 0)
            return QStringLiteral("the material (id %1) of beam %2 is not in the material catalogue")
                .arg(beam->material)
                .arg(index);
        if (!usable(material.density) || !usable(material.youngModulus))
            return QStringLiteral("the material \"%1\" (id %2) of beam %3 has no positive density or Young's "
                                  "modulus in the material catalogue")
                .arg(material.name)
                .arg(material.id)
                .arg(index);
        if (!usable(capacitance(*beam, cell)) || !usable(inductance(*beam, cell)))
            return QStringLiteral("beam %1's sizes give no finite mass or compliance").arg(index);
    }
    return QString();
}

QString CantileverStructure::netlist() const
{
    if (!problem().isEmpty())
        return QString();
    QString text = QStringLiteral("Model extracted by Kelvane\n");
    int index = 0;
    for (const BlockPtr &beam : beams) {
        const QString node = QString::number(++index);
        text += QStringLiteral("c%1 %2 0 %3 \n").arg(node, node, number(capacitance(*beam, cell)));
        text += QStringLiteral("l%1 %2 0 %3 \n").arg(node, node, number(inductance(*beam, cell)));
    }
    text += QStringLiteral(".end \n");
    return text;
}

} // namespace ModelExtraction
} // namespace Model
