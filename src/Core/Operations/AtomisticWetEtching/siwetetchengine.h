#pragma once

#include "Model/Automaton/silattice.h"
#include "Model/Automaton/slabrunner.h"
#include "Model/Automaton/totalvolume.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace Core {
namespace Operations {

// The engine shared by the silicon wet etches. It works on the volume's silicon lattice:
// the volume's x layers are split into slabs (Slabs), one pool task per slab; each slab
// keeps the candidate atoms of its cells (the exposed atoms and the neighbours of
// removed ones). A step is synchronous: every slab decides on its candidates from the
// states at the start of the step, and only when all have decided are the removed atoms
// taken out, cell counts lowered (a cell empties when its last atom goes) and the
// neighbours queued across slab borders handed over.
//
// `Rule` derives from this class and provides, as plain inline members:
//
//   bool decide(int slab, size_t position, uint32_t atom);  // true: remove the atom now
//   void prepareStep();   // after the surface search and after every step, on the caller
//   bool settled() const; // true when further steps cannot change anything
//
// Atoms are assigned to slabs by the x column of their cell, so each cell's count and
// material are written by one slab only.
template <class Rule>
class SiWetEtchEngine
{
public:
    using TotalVolume = Model::Automaton::TotalVolume;
    using SiLattice = Model::Automaton::SiLattice;
    using SiAtom = Model::Automaton::SiAtom;

    // Steps planned for this run and steps actually run (the run stops early once
    // nothing can change any more).
    int64_t stepCount() const { return plannedSteps; }
    int64_t stepsRun() const { return executedSteps; }
    // Atoms the run took out of the lattice; some may leave their cells filled.
    size_t atomsRemoved() const { return removedAtoms; }
    int32_t getSlabCount() const { return slabs.count(); }

protected:
    static constexpr uint8_t Absent = Model::Automaton::AtomAbsent;
    static constexpr uint8_t Present = Model::Automaton::AtomPresent;
    static constexpr uint8_t Fixed = Model::Automaton::AtomFixed;

    SiWetEtchEngine(TotalVolume *volume, int64_t steps)
        : volume(volume), sizeX(volume->getSizeX()), sizeY(volume->getSizeY()), sizeZ(volume->getSizeZ()),
          slabs(Model::Automaton::Slabs::forPool(sizeX)), slabCount(slabs.count()), plannedSteps(steps)
    {
        columnCells = static_cast<size_t>(sizeY) * sizeZ;
        surfaceAtoms.resize(static_cast<size_t>(slabCount));
        lowHandover.resize(static_cast<size_t>(slabCount));
        highHandover.resize(static_cast<size_t>(slabCount));
        keep.resize(static_cast<size_t>(slabCount));
        remove.resize(static_cast<size_t>(slabCount));
        removedCount.resize(static_cast<size_t>(slabCount));
    }

    // The whole etch. Builds the lattice first if the volume has none.
    void runEngine()
    {
        executedSteps = 0;
        if (!volume->getLattice())
            volume->createLattice();
        lattice = volume->getLattice();
        Model::Automaton::VoxelLock lock(*volume);
        voxels = lock.voxels();
        lattice->clearBoundaryAtoms();
        findSurface();
        rule().prepareStep();
        for (int64_t step = 0; step < plannedSteps; ++step) {
            if (rule().settled())
                break;
            slabs.run([this](int32_t s) { decideSlab(s); });
            slabs.run([this](int32_t s) { applySlab(s); });
            ++executedSteps;
            removedAtoms += removedInLastStep();
            rule().prepareStep();
        }
        for (int32_t s = 0; s < slabCount; ++s)
            clearSlab(s);
        voxels = nullptr;
    }

    // Number of candidates removed in the last step, over all slabs.
    size_t removedInLastStep() const
    {
        size_t n = 0;
        for (size_t r : removedCount)
            n += r;
        return n;
    }

    uint32_t slabOfAtom(uint32_t a) const
    {
        const uint32_t x = static_cast<uint32_t>(static_cast<size_t>(lattice->atom(a).voxelIndex) / columnCells);
        return static_cast<uint32_t>(slabs.slabOf(x));
    }

    TotalVolume *volume;
    uint32_t sizeX, sizeY, sizeZ;
    Model::Automaton::Voxel *voxels = nullptr;
    std::shared_ptr<SiLattice> lattice;
    Model::Automaton::Slabs slabs;
    int32_t slabCount; // slabs.count()
    size_t columnCells = 1;
    int64_t plannedSteps = 0;
    int64_t executedSteps = 0;
    size_t removedAtoms = 0;
    // Per slab: candidates of the next step (ascending atom index), atoms queued for the
    // slabs below and above, and the current step's keep and remove lists.
    std::vector<std::vector<uint32_t>> surfaceAtoms;
    std::vector<std::vector<uint32_t>> lowHandover;
    std::vector<std::vector<uint32_t>> highHandover;
    std::vector<std::vector<uint32_t>> keep;
    std::vector<std::vector<uint32_t>> remove;
    std::vector<size_t> removedCount;

private:
    Rule &rule() { return static_cast<Rule &>(*this); }

    // The initial candidates. Every atom first takes the state its cell implies (an empty
    // cell's atoms are absent, another material's fixed, and so are atoms outside the
    // volume, so the volume's rim acts like a mask); silicon atoms keep theirs, so atoms an
    // earlier etch removed stay removed. Then every present atom with a missing bond is
    // checked: a missing bond towards an empty cell, or to an atom an etch removed,
    // exposes it; a bond end without an atom outside the volume or in another material
    // gets a fixed boundary atom. The cells are split into ranges, one task each; the
    // boundary atoms are added afterwards in range order.
    void findSurface()
    {
        const size_t cellCount = lattice->cellCount();
        // Atom indices are 32-bit, so the cell count is too.
        const Model::Automaton::Slabs ranges(static_cast<uint32_t>(cellCount), slabCount);
        auto range = [&](int32_t c) { return std::make_pair<size_t, size_t>(ranges.first(c), ranges.last(c)); };
        ranges.run([&](int32_t c) {
            const auto r = range(c);
            for (size_t a = r.first * 8; a < r.second * 8; ++a) {
                SiAtom &atom = lattice->atom(static_cast<uint32_t>(a));
                if (atom.voxelIndex < 0) {
                    atom.state = Fixed;
                    continue;
                }
                const uint32_t material = voxels[atom.voxelIndex].getMaterialId();
                if (material == 0)
                    atom.state = Absent;
                else if (material != 1)
                    atom.state = Fixed;
            }
        });
        std::vector<std::vector<uint32_t>> found(static_cast<size_t>(ranges.count()));
        std::vector<std::vector<std::pair<uint32_t, int>>> fixedEnds(static_cast<size_t>(ranges.count()));
        ranges.run([&](int32_t c) {
            const auto r = range(c);
            for (size_t a = r.first * 8; a < r.second * 8; ++a) {
                const uint32_t index = static_cast<uint32_t>(a);
                const SiAtom &atom = lattice->atom(index);
                if (atom.state != Present || lattice->bondedCount(index) == 4)
                    continue;
                bool exposed = false;
                for (int k = 0; k < 4; ++k) {
                    const uint32_t b = atom.neighbours[k];
                    if (b == SiAtom::none) {
                        const int far = lattice->neighbourVoxelIndex(index, k);
                        const uint32_t material = far < 0 ? 2 : voxels[far].getMaterialId();
                        if (material == 0)
                            exposed = true;
                        else if (material != 1)
                            fixedEnds[static_cast<size_t>(c)].emplace_back(index, k);
                    } else if (lattice->atom(b).voxelIndex >= 0 && lattice->stateOf(b) == Absent) {
                        exposed = true;
                    }
                }
                if (exposed)
                    found[static_cast<size_t>(c)].push_back(index);
            }
        });
        size_t extra = 0;
        for (const auto &ends : fixedEnds)
            extra += ends.size();
        lattice->reserveBoundaryAtoms(extra);
        for (const auto &ends : fixedEnds)
            for (const auto &end : ends)
                lattice->addBoundaryAtom(end.first, end.second);
        for (const auto &list : found)
            for (uint32_t a : list)
                surfaceAtoms[slabOfAtom(a)].push_back(a);
        for (auto &list : surfaceAtoms)
            sortUnique(list);
    }

    void decideSlab(int32_t s)
    {
        const size_t slab = static_cast<size_t>(s);
        lowHandover[slab].clear();
        highHandover[slab].clear();
        keep[slab].clear();
        remove[slab].clear();
        const std::vector<uint32_t> &candidates = surfaceAtoms[slab];
        for (size_t i = 0; i < candidates.size(); ++i) {
            const uint32_t a = candidates[i];
            if (lattice->stateOf(a) != Present)
                continue;
            if (!rule().decide(s, i, a)) {
                keep[slab].push_back(a);
                continue;
            }
            remove[slab].push_back(a);
            for (uint32_t b : lattice->atom(a).neighbours) {
                // Fixed and absent neighbours could never be removed; they are not queued.
                if (b == SiAtom::none || lattice->stateOf(b) != Present)
                    continue;
                const int32_t target = static_cast<int32_t>(slabOfAtom(b));
                if (target == s)
                    keep[slab].push_back(b);
                else if (target < s)
                    lowHandover[slab].push_back(b);
                else
                    highHandover[slab].push_back(b);
            }
        }
        removedCount[slab] = remove[slab].size();
    }

    void applySlab(int32_t s)
    {
        const size_t slab = static_cast<size_t>(s);
        for (uint32_t a : remove[slab]) {
            SiAtom &atom = lattice->atom(a);
            atom.state = Absent;
            Model::Automaton::Voxel &cell = voxels[atom.voxelIndex];
            cell.setCount(cell.getCount() - 1);
        }
        // A cell empties when all its removals of this step bring its count to 0 exactly.
        for (uint32_t a : remove[slab]) {
            Model::Automaton::Voxel &cell = voxels[lattice->atom(a).voxelIndex];
            if (cell.getCount() == 0)
                cell.setMaterialId(0);
        }
        std::vector<uint32_t> &next = keep[slab];
        for (int32_t o = 0; o < slabCount; ++o) {
            if (o == s)
                continue;
            for (uint32_t b : o > s ? lowHandover[static_cast<size_t>(o)] : highHandover[static_cast<size_t>(o)])
                if (static_cast<int32_t>(slabOfAtom(b)) == s)
                    next.push_back(b);
        }
        sortUnique(next);
        surfaceAtoms[slab].swap(next);
    }

    void clearSlab(int32_t s)
    {
        const size_t slab = static_cast<size_t>(s);
        std::vector<uint32_t>().swap(surfaceAtoms[slab]);
        std::vector<uint32_t>().swap(lowHandover[slab]);
        std::vector<uint32_t>().swap(highHandover[slab]);
        std::vector<uint32_t>().swap(keep[slab]);
        std::vector<uint32_t>().swap(remove[slab]);
    }

    static void sortUnique(std::vector<uint32_t> &list)
    {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
};

} // namespace Operations
} // namespace Core
