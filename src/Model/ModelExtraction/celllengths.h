#pragma once

#include "Model/Automaton/totalvolume.h"

#include <cmath>

namespace Model {
namespace ModelExtraction {

// The edge lengths of one cell in metres, along x, y and z. Beams are measured in cells;
// these turn them into the SI lengths the netlist's masses and compliances are computed
// from, together with the catalogue's density (kg/m^3) and Young's modulus (Pa).
struct CellLengths
{
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    // A cell volume's cell sizes are in model units; the user says how many micrometres a
    // model unit is.
    static CellLengths of(const Automaton::TotalVolume &volume, double micrometresPerUnit)
    {
        const double metres = micrometresPerUnit * 1e-6;
        return {volume.getCellSizeX() * metres, volume.getCellSizeY() * metres, volume.getCellSizeZ() * metres};
    }

    // A length scale the netlist can be computed with: positive and finite.
    static bool validMicrometresPerUnit(double micrometresPerUnit)
    {
        return std::isfinite(micrometresPerUnit) && micrometresPerUnit > 0.0;
    }
};

} // namespace ModelExtraction
} // namespace Model
