#pragma once

#include "Core/Operations/DistanceCounting/abstractdistancecountingautomatonbase.h"
#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

#include <vector>

namespace Core {
namespace Operations {

// Thermal oxidation of silicon: oxide (material 3) grows on every exposed surface of an
// oxidisable material (catalogue process 12), 44 % of its thickness into the material
// and 56 % outwards into empty space. Distances are measured from the middle of the
// exposed cells' height (sources start half a cell height away); other solids (masks)
// neither oxidise nor let the oxide pass.
class SimpleSiOxidation final
    : public DistanceCountingAutomaton<SimpleSiOxidation, AbstractDistanceCountingAutomatonBase>
{
public:
    // The Deal-Grove linear-parabolic law for dry oxidation, in microns and hours.
    struct DealGrove
    {
        double parabolicRate; // B, um^2 / h
        double linearRate;    // B / A, um / h
        double a;             // A, um
        double tau;           // h: the time the initial 0.025 um of oxide stands for
        double thickness;     // x at the given time, um
    };
    // Oxide grown in `hours` at `kelvin` under `atmospheres` of oxygen.
    static DealGrove dealGrove(double hours, double kelvin, double atmospheres);

    // The fraction of the oxide thickness that lies outside the former surface.
    static constexpr float outwardFraction = 0.56f;
    static constexpr uint32_t oxideMaterial = 3;

    SimpleSiOxidation(Model::Automaton::TotalVolume *volume, double micronConversion);

    // Grows `microns` of oxide. A thickness of 0 (or less) changes nothing.
    void simulate(double microns);
    // The design's count for a thickness in length units: ceil(0.56 T x F / m).
    int64_t stepCount(double lengthUnits) const;

    float inwardReachSquared() const { return inwardSquared; }
    float outwardReachSquared() const { return outwardSquared; }

protected:
    // Classes the cells; each exposed cell puts its changeable neighbours into the first
    // front (across a slice bound through the hand-over sets).
    void initializeSlice(uint32_t first, uint32_t last, int32_t slice) override;
    bool handsOverDuringInitialization() const override { return true; }
    void finalizeSlice(uint32_t first, uint32_t last, int32_t slice) override;
    void finalizeCell(uint32_t cell, int32_t slice) override;

private:
    friend class DistanceCountingAutomaton<SimpleSiOxidation, AbstractDistanceCountingAutomatonBase>;

    bool isOxidisable(uint32_t materialId) const
    {
        for (uint32_t id : oxidisableMaterials)
            if (id == materialId)
                return true;
        return false;
    }
    // An oxidisable cell with an empty face neighbour: the oxide starts there.
    bool isExposed(uint32_t x, uint32_t y, uint32_t z, uint32_t cell) const;

    void initializeOne(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, CellFront &front);
    void initializeCellOfSlice(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, uint32_t first, uint32_t last,
                               CellFront &front, int32_t slice);
    float limitFor(const Voxel &cell) const { return cell.getMaterialId() == 0 ? outwardSquared : inwardSquared; }
    uint32_t writtenMaterial(const Voxel &cell) const { return cell.getMaterialId(); }
    void finalize(Voxel &cell) const
    {
        const float d = cell.getDistanceX() * cell.getDistanceX() + cell.getDistanceY() * cell.getDistanceY() +
                        cell.getDistanceZ() * cell.getDistanceZ();
        const uint32_t m = cell.getMaterialId();
        if ((m == 0 && d <= outwardSquared) || (m != 0 && isOxidisable(m) && d <= inwardSquared))
            cell.setMaterialId(oxideMaterial);
    }

    double thickness = 0.0;
    double micronConversion;
    float inwardSquared = 0.0f;
    float outwardSquared = 0.0f;
    std::vector<uint32_t> oxidisableMaterials;
};

} // namespace Operations
} // namespace Core
