#pragma once

#include "Core/Operations/DistanceCounting/distancecountingautomaton.h"

namespace Core {
namespace Operations {

// Implants the dopant in a band at `implantationDepth` below the top surface of every
// column, then anneals: every dopable cell within `annealingDistance` of an implanted
// cell takes the dopant too. The band holds the dopable cells whose depth below the
// surface (counted from 1 at the top cell, times the cell height) lies within
// cellSizeZ / 2 + `verticalSpread` of the implantation depth. Dopable materials are
// those of catalogue process 13; other materials (and voids below the top) block.
class IonImplantation final : public DistanceCountingAutomaton<IonImplantation>
{
public:
    IonImplantation(Model::Automaton::TotalVolume *volume, uint32_t dopantMaterial, float implantationDepth,
                    float verticalSpread, float annealingDistance);

    // The design's count: ceil(annealingDistance / m) times the step factor.
    int64_t stepCount() const;
    // Implants, then anneals until every cell within the annealing distance is reached
    // (no annealing for a distance of 0).
    void simulate();

    // Half the band's height: cellSizeZ / 2 + the vertical spread.
    float bandHalfWidth() const { return halfWidth; }

protected:
    // The per-column pass: empty cells above the top, then the band down the column.
    void initializeSlice(uint32_t first, uint32_t last, int32_t slice) override;
    bool handsOverDuringInitialization() const override { return true; }

private:
    friend class DistanceCountingAutomaton<IonImplantation>;

    // One cell alone (the column pass does the whole column at once).
    void initializeOne(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, CellFront &front);
    // The height of the column's top solid cell, or -1 for a column of empty cells.
    int64_t columnTop(uint32_t column) const;
    // Cell (x, y, z) at or below the top cell, k = top + 1 - z.
    void initializeBelowTop(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, int64_t k, uint32_t first,
                            uint32_t last, CellFront &front, int32_t slice);

    bool skips(const Voxel &cell) const { return !isChangeable(cell.getMaterialId()); }
    uint32_t writtenMaterial(const Voxel &) const { return dopantMaterial; }
    float reachSquared() const { return annealingDistanceSquared; }

    uint32_t dopantMaterial;
    float implantationDepth;
    float verticalSpread;
    float annealingDistance;
    float annealingDistanceSquared;
    float halfWidth;
};

} // namespace Operations
} // namespace Core
