#pragma once

#include "Core/Operations/DistanceCounting/abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

// What a cell is for one run: a source the distances are measured from, a blocked cell
// that never changes, or a free cell that may take a new material and vector.
enum class CellClass { Source, Blocked, Free };

// The distance-counting engine specialised for one rule set, so that the per-cell work
// of the slice loops is inlined instead of dispatched per cell. `Rules` derives from
// this class and provides, as plain inline members:
//
//   CellClass classify(const Voxel &cell, uint32_t x, uint32_t y, uint32_t z, uint32_t index) const;
//   bool seedsFrom(const Voxel &neighbour) const;  // a free cell with such a neighbour starts in the front
//   uint32_t writtenMaterial(const Voxel &cell) const;
//   float reach() const;          // T, the thickness or depth in length units
//   float reachSquared() const;   // T squared
//
// and may hide the defaults below (seedsBlockedCells, skips, growsFrom, limitFor,
// initializeOne, queueFrontNeighbours). These are the extension points of this fast
// path; it does not call the virtual addNeighboursToFront of the plain engine. A rule
// set that hides initializeOne needs no classify, seedsFrom or reach; one that hides
// limitFor (a reach that depends on the cell) needs no reachSquared.
//
// `Engine` is the engine class the automaton derives from: the variant without
// finalisation by default, or AbstractDistanceCountingAutomatonBase for a process that
// finishes with a pass over every cell (the rule set then supplies finalizeCell, and may
// replace finalizeSlice).
//
// Evaluation of one cell: a marked cell never changes. Otherwise each in-volume
// neighbour offers its vector plus the offset to it; the first offer shorter than the
// cell's own vector and within T wins, an equal later one does not replace it.
template <class Rules, class Engine = AbstractDistanceCountingAutomatonNoFinalize>
class DistanceCountingAutomaton : public Engine
{
protected:
    using Voxel = Model::Automaton::Voxel;
    using Engine::changes;
    using Engine::evaluateFront;
    using Engine::forEachNeighbour;
    using Engine::fronts;
    using Engine::neighbourVectors;
    using Engine::queueNeighbours;
    using Engine::sizeY;
    using Engine::sizeZ;
    using Engine::splitIndex;
    using Engine::volume;
    using Engine::voxels;
    using ChangeRecord = typename Engine::ChangeRecord;

    explicit DistanceCountingAutomaton(Model::Automaton::TotalVolume *volume) : Engine(volume) {}

    // Defaults a rule set may hide.
    static constexpr bool seedsBlockedCells = false;
    bool skips(const Voxel &) const { return false; }
    // A seeded cell without a neighbour it can grow from could not change in the first
    // step, so a rule whose seeding test is wider than its sources leaves such cells out
    // of the first front: the cells come out the same, the front stays small.
    bool growsFrom(const Voxel &) const { return true; }
    // The squared reach a free cell may take a vector within.
    float limitFor(const Voxel &) const { return rules().reachSquared(); }
    void queueFrontNeighbours(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, uint32_t first,
                              uint32_t last, CellFront &front, int32_t slice)
    {
        queueNeighbours(x, y, z, cell, first, last, front, slice);
    }

    void initializeSlice(uint32_t first, uint32_t last, int32_t slice) override
    {
        CellFront &front = fronts[static_cast<size_t>(slice)];
        for (uint32_t x = first; x < last; ++x)
            for (uint32_t y = 0; y < sizeY; ++y) {
                const uint32_t column = static_cast<uint32_t>(volume->index(x, y, 0));
                for (uint32_t z = 0; z < sizeZ; ++z)
                    rules().initializeOne(x, y, z, column + z, front);
            }
    }

    void stepSlice(uint32_t first, uint32_t last, int32_t slice) override
    {
        evaluateFront(first, last, slice,
                      [this](uint32_t cell, uint32_t f, uint32_t l, CellFront &front, int32_t s) {
                          evaluate(cell, f, l, front, s);
                      });
    }

    void initializeCell(uint32_t cell, int32_t slice) final
    {
        uint32_t x, y, z;
        splitIndex(cell, &x, &y, &z);
        rules().initializeOne(x, y, z, cell, fronts[static_cast<size_t>(slice)]);
    }

    void stepCell(uint32_t cell, uint32_t first, uint32_t last, CellFront &front, int32_t slice) final
    {
        evaluate(cell, first, last, front, slice);
    }

    void addNeighboursToFront(uint32_t cell, uint32_t first, uint32_t last, CellFront &front,
                              int32_t slice) override
    {
        uint32_t x, y, z;
        splitIndex(cell, &x, &y, &z);
        rules().queueFrontNeighbours(x, y, z, cell, first, last, front, slice);
    }

    Rules &rules() { return static_cast<Rules &>(*this); }
    const Rules &rules() const { return static_cast<const Rules &>(*this); }

    // Classes one cell (source, blocked, free), sets its mark and vector and seeds it.
    void initializeOne(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, CellFront &front)
    {
        Voxel &v = voxels[cell];
        const CellClass kind = rules().classify(v, x, y, z, cell);
        if (kind == CellClass::Source) {
            v.setMarked(true);
            v.setDistance(0.0f, 0.0f, 0.0f);
            return;
        }
        const float t = rules().reach();
        v.setMarked(kind == CellClass::Blocked);
        v.setDistance(t, t, t);
        if (kind == CellClass::Blocked && !Rules::seedsBlockedCells)
            return;
        bool seed = false;
        bool grows = false;
        forEachNeighbour(x, y, z, cell, [&](int, uint32_t n, uint32_t) {
            seed = seed || rules().seedsFrom(voxels[n]);
            grows = grows || rules().growsFrom(voxels[n]);
        });
        if (seed && grows)
            front.insert(cell);
    }

private:
    void evaluate(uint32_t cell, uint32_t first, uint32_t last, CellFront &front, int32_t slice)
    {
        const Voxel &v = voxels[cell];
        if (v.isMarked() || rules().skips(v))
            return;
        float bestX = v.getDistanceX();
        float bestY = v.getDistanceY();
        float bestZ = v.getDistanceZ();
        float best = bestX * bestX + bestY * bestY + bestZ * bestZ;
        const float limit = rules().limitFor(v);
        bool found = false;
        uint32_t x, y, z;
        splitIndex(cell, &x, &y, &z);
        forEachNeighbour(x, y, z, cell, [&](int k, uint32_t n, uint32_t) {
            const Voxel &neighbour = voxels[n];
            const float cx = neighbour.getDistanceX() + neighbourVectors[k][0];
            const float cy = neighbour.getDistanceY() + neighbourVectors[k][1];
            const float cz = neighbour.getDistanceZ() + neighbourVectors[k][2];
            const float c = cx * cx + cy * cy + cz * cz;
            if (c < best && c <= limit) {
                bestX = cx;
                bestY = cy;
                bestZ = cz;
                best = c;
                found = true;
            }
        });
        if (!found)
            return;
        changes[static_cast<size_t>(slice)].push_back(
            ChangeRecord{cell, rules().writtenMaterial(v), bestX, bestY, bestZ});
        rules().queueFrontNeighbours(x, y, z, cell, first, last, front, slice);
    }
};

} // namespace Operations
} // namespace Core
