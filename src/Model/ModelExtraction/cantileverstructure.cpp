#include "Model/ModelExtraction/cantileverstructure.h"

#include "Model/Materials/materialfactory.h"

#include <cmath>

namespace Model {
namespace ModelExtraction {

namespace {

constexpr double fallbackDensity = 1000.0;
constexpr double fallbackYoungModulus = 7e10;
constexpr double densities[16] = {0, 2329, 2700, 8940, 8908, 2648, 2810, 1000,
                                  1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000};

bool usable(double value)
{
    return std::isfinite(value) && value > 0.0;
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

} // namespace

CantileverStructure::BeamMaterial CantileverStructure::beamMaterial(uint32_t material)
{
    BeamMaterial constants{fallbackDensity, fallbackYoungModulus};
    if (material < 16) {
        constants.density = densities[material];
        constants.youngModulus = material == 0 ? 0.0 : fallbackYoungModulus;
    } else {
        const Materials::Material entry = Materials::MaterialFactory::instance()->getMaterial(material);
        if (usable(entry.density))
            constants.density = entry.density;
        if (usable(entry.youngModulus))
            constants.youngModulus = entry.youngModulus;
    }
    return constants;
}

double CantileverStructure::capacitance(const RectangularCuboidEnvelope &beam)
{
    const uint64_t cells = static_cast<uint64_t>(beam.sizeZ) * static_cast<uint64_t>(beam.sizeY) *
                           static_cast<uint64_t>(beam.sizeX);
    return static_cast<double>(cells) * 2.00129819772e-17 * beamMaterial(beam.material).density * 33 / 140;
}

double CantileverStructure::inductance(const RectangularCuboidEnvelope &beam)
{
    const uint64_t width = static_cast<uint64_t>(beam.sizeX <= beam.sizeY ? beam.sizeX : beam.sizeY);
    const uint64_t length = static_cast<uint64_t>(beam.sizeX <= beam.sizeY ? beam.sizeY : beam.sizeX);
    const uint64_t thickness = static_cast<uint64_t>(beam.sizeZ);
    const uint64_t thicknessCubedWidth = thickness * thickness * thickness * width;
    const uint64_t lengthCubed = length * length * length;
    const double stiffness = 3 * beamMaterial(beam.material).youngModulus *
                             (static_cast<double>(thicknessCubedWidth) / 12) / static_cast<double>(lengthCubed);
    return 1 / stiffness;
}

QString CantileverStructure::netlist() const
{
    QString text = QStringLiteral("Model extracted by Kelvane\n");
    int index = 0;
    for (const BlockPtr &beam : beams) {
        const QString node = QString::number(++index);
        text += QStringLiteral("c%1 %2 0 %3 \n").arg(node, node, number(capacitance(*beam)));
        text += QStringLiteral("l%1 %2 0 %3 \n").arg(node, node, number(inductance(*beam)));
    }
    text += QStringLiteral(".end \n");
    return text;
}

} // namespace ModelExtraction
} // namespace Model
