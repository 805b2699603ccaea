#pragma once

#include "Model/ModelExtraction/celllengths.h"
#include "Model/ModelExtraction/istructure.h"
#include "Model/ModelExtraction/rectangularcuboidenvelope.h"

namespace Model {
namespace ModelExtraction {

// Free-standing beams, each one cuboid in cells, written as a lumped mechanical netlist:
// per beam its effective mass (kg) as a capacitor and its tip compliance (m/N) as an
// inductor, both between the beam's node and ground, so that the circuit's resonance
// 1 / (2 pi sqrt(LC)) is the beam's first bending mode. Everything is in SI units: the
// beams' cells are measured with the cell lengths in metres, and each beam's density and
// Young's modulus come from the material catalogue.
class CantileverStructure : public IStructure
{
public:
    CantileverStructure(BlockList beams, const CellLengths &cell) : beams(std::move(beams)), cell(cell) {}

    // Empty when problem() says why no netlist can be made.
    QString netlist() const override;
    // Empty when every beam can be modelled; otherwise, for the user, the first reason one
    // cannot: its material has no positive, finite density or Young's modulus in the
    // catalogue, or its sizes give no finite mass or compliance.
    QString problem() const;

    const BlockList &getBeams() const { return beams; }
    const CellLengths &getCellLengths() const { return cell; }
    void setCellLengths(const CellLengths &lengths) { cell = lengths; }

    // A beam's extent in metres. Its length is the longer and its width the shorter of its
    // extents in x and y (x is the width when they are equal); its thickness is along z.
    struct BeamSize
    {
        double length;
        double width;
        double thickness;
    };
    static BeamSize beamSize(const RectangularCuboidEnvelope &beam, const CellLengths &cell);
    // Effective mass (kg) and tip compliance (m/N) of one beam with the catalogue's
    // constants of its material; not finite or not positive when those are unusable.
    static double capacitance(const RectangularCuboidEnvelope &beam, const CellLengths &cell);
    static double inductance(const RectangularCuboidEnvelope &beam, const CellLengths &cell);

private:
    BlockList beams;
    CellLengths cell;
};

} // namespace ModelExtraction
} // namespace Model
