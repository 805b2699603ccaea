#pragma once

#include "Model/ModelExtraction/istructure.h"
#include "Model/ModelExtraction/rectangularcuboidenvelope.h"

namespace Model {
namespace ModelExtraction {

// Free-standing beams, each one cuboid in cells, written as a lumped mechanical netlist:
// per beam its effective mass as a capacitor and its compliance as an inductor, both
// between the beam's node and ground.
class CantileverStructure : public IStructure
{
public:
    explicit CantileverStructure(BlockList beams) : beams(std::move(beams)) {}

    QString netlist() const override;
    const BlockList &getBeams() const { return beams; }

    struct BeamMaterial
    {
        double density;
        double youngModulus;
    };
    // The constants a beam of `material` is modelled with. Ids 0 to 15 use the fixed
    // table; higher ids (materials added to the catalogue, Poly-Si among the built-ins)
    // take the catalogue's density and Young's modulus. A value that is missing, zero,
    // negative or not finite falls back to that of ids 7 to 15, so that no element comes
    // out infinite, zero or negative.
    static BeamMaterial beamMaterial(uint32_t material);
    // Effective mass and compliance of one beam, in the units of the netlist. Size
    // products are formed in 64 bits, which never wrap for any volume the program holds.
    static double capacitance(const RectangularCuboidEnvelope &beam);
    static double inductance(const RectangularCuboidEnvelope &beam);

private:
    BlockList beams;
};

} // namespace ModelExtraction
} // namespace Model
