#pragma once

#include "Core/Operations/DistanceCounting/cellfront.h"
#include "Core/Operations/DistanceCounting/prefetch.h"
#include "Core/Operations/DistanceCounting/slabfronts.h"
#include "Model/Automaton/totalvolume.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace Core {
namespace Operations {

// Grows or removes material one cell layer per iteration over the 26-cell (Moore)
// neighbourhood: n iterations give n dilations or erosions by a 3 x 3 x 3 block. The
// fronts run on the volume's x slabs (slices here, at least 2 layers each) as for the
// distance-counting automaton: SlabFronts hands cells one layer beyond a slice over and
// writes a step only after every slice has evaluated it.
//
// `Rules` derives from this class and provides, as plain inline members:
//
//   bool passes(const Voxel &cell) const;        // the front may enter and change this cell
//   bool seedsFrom(const Voxel &neighbour) const; // a passable cell with such a neighbour starts the front;
//                                                 // never true of a passable cell
//   uint32_t writtenMaterial() const;
//   uint32_t passableMaterial() const;           // the one material `passes` accepts
template <class Rules>
class MooreNeighborhoodAutomaton : public SlabFronts
{
public:
    MooreNeighborhoodAutomaton(const MooreNeighborhoodAutomaton &) = delete;
    MooreNeighborhoodAutomaton &operator=(const MooreNeighborhoodAutomaton &) = delete;

    // The whole process, under the volume's voxel lock. Writing the empty material
    // would change no cell while the front never ran dry, so it does nothing.
    void run()
    {
        if (rules().writtenMaterial() == rules().passableMaterial())
            return;
        Model::Automaton::VoxelLock lock(*volume);
        voxels = lock.voxels();
        struct Release
        {
            MooreNeighborhoodAutomaton *automaton;
            ~Release()
            {
                automaton->releaseFronts();
                for (std::vector<uint32_t> &cells : automaton->fillSets)
                    std::vector<uint32_t>().swap(cells);
                automaton->voxels = nullptr;
            }
        } release{this};

        coverFronts(static_cast<size_t>(sizeY) * sizeZ);
        slabs.run([this](int32_t s) { seedSlice(s); });
        const uint32_t written = rules().writtenMaterial();
        for (int32_t i = 0; i < iterations && !frontsEmpty(); ++i)
            runStep([this](int32_t s) { evaluateSlice(s); },
                    [this, written](int32_t s) {
                        for (uint32_t cell : fillSets[static_cast<size_t>(s)])
                            voxels[cell].setMaterialId(written);
                    });
    }

protected:
    using Voxel = Model::Automaton::Voxel;

    MooreNeighborhoodAutomaton(Model::Automaton::TotalVolume *volume, uint32_t material, int32_t iterations)
        : SlabFronts(volume->getSizeX(), 2), volume(volume), material(material), iterations(iterations),
          sizeX(volume->getSizeX()), sizeY(volume->getSizeY()), sizeZ(volume->getSizeZ()), strideY(sizeY),
          strideZ(sizeZ)
    {
        if (volume->getCellCount() > UINT32_MAX)
            throw std::length_error("The cell volume has too many cells for this process.");
        stepZ = static_cast<uint32_t>(volume->index(0, 0, 1) - volume->index(0, 0, 0));
        stepY = static_cast<uint32_t>(volume->index(0, 1, 0) - volume->index(0, 0, 0));
        stepX = static_cast<uint32_t>(volume->index(1, 0, 0) - volume->index(0, 0, 0));
        fillSets.resize(static_cast<size_t>(slabs.count()));
    }
    ~MooreNeighborhoodAutomaton() = default;

    // Calls f(neighbourCell, neighbourX) for the in-volume Moore neighbours in
    // lexicographic order of (dx, dy, dz).
    template <class F>
    void forEachNeighbour(uint32_t x, uint32_t y, uint32_t z, uint32_t cell, F &&f) const
    {
        const int x0 = x > 0 ? -1 : 0, x1 = x + 1 < sizeX ? 1 : 0;
        const int y0 = y > 0 ? -1 : 0, y1 = y + 1 < sizeY ? 1 : 0;
        const int z0 = z > 0 ? -1 : 0, z1 = z + 1 < sizeZ ? 1 : 0;
        for (int dx = x0; dx <= x1; ++dx)
            for (int dy = y0; dy <= y1; ++dy) {
                const uint32_t row = cell + static_cast<uint32_t>(dx) * stepX + static_cast<uint32_t>(dy) * stepY;
                for (int dz = z0; dz <= z1; ++dz)
                    if (dx != 0 || dy != 0 || dz != 0)
                        f(row + static_cast<uint32_t>(dz) * stepZ, x + static_cast<uint32_t>(dx));
            }
    }

    Model::Automaton::TotalVolume *volume;
    uint32_t material;
    int32_t iterations;
    // Cells of the slice that receive the written material at the end of the step.
    std::vector<std::vector<uint32_t>> fillSets;
    uint32_t sizeX;
    uint32_t sizeY;
    uint32_t sizeZ;
    Voxel *voxels = nullptr;
    uint32_t strideY;
    uint32_t strideZ;

private:
    const Rules &rules() const { return static_cast<const Rules &>(*this); }

    // Seeds are the passable cells with a seeding neighbour. Rather than visiting 26
    // neighbours per cell, each layer's seeding cells are spread once over y and z into a
    // mask; the OR of the masks of layers x - 1, x and x + 1 then tells every cell of
    // layer x whether a seeding cell lies in its block. The block includes the cell
    // itself, which is harmless: a passable cell never seeds.
    void seedSlice(int32_t slice)
    {
        const size_t s = static_cast<size_t>(slice);
        std::lock_guard<std::mutex> lock(*sliceMutexes[s]);
        CellFront &front = fronts[s];
        const size_t layerCells = static_cast<size_t>(sizeY) * sizeZ;
        std::vector<uint8_t> spread[3];
        std::vector<uint8_t> passable(layerCells);
        std::vector<uint8_t> column(layerCells);
        for (std::vector<uint8_t> &mask : spread)
            mask.assign(layerCells, 0);
        const uint32_t first = sliceFirst(slice);
        const uint32_t last = sliceLast(slice);
        // spread[(x + 1) % 3] belongs to layer x; layers outside the volume stay 0.
        auto maskOf = [&spread](int64_t x) -> std::vector<uint8_t> & { return spread[static_cast<size_t>((x + 1) % 3)]; };
        if (first > 0)
            spreadLayer(first - 1, maskOf(first - 1), column, nullptr);
        spreadLayer(first, maskOf(first), column, &passable);
        for (uint32_t x = first; x < last; ++x) {
            std::vector<uint8_t> &after = maskOf(int64_t(x) + 1);
            if (x + 1 < sizeX)
                spreadLayer(x + 1, after, column, nullptr);
            else
                std::fill(after.begin(), after.end(), 0);
            const uint8_t *a = maskOf(int64_t(x) - 1).data();
            const uint8_t *b = maskOf(x).data();
            const uint8_t *c = after.data();
            if (x == 0)
                a = c; // no layer before the first one; c is ORed anyway
            if (x > first)
                fillPassable(x, passable);
            const uint32_t base = static_cast<uint32_t>(volume->index(x, 0, 0));
            for (size_t i = 0; i < layerCells; ++i)
                if (passable[i] & (a[i] | b[i] | c[i]))
                    front.insert(base + static_cast<uint32_t>(i));
        }
    }

    void fillPassable(uint32_t x, std::vector<uint8_t> &passable) const
    {
        const Voxel *layer = voxels + volume->index(x, 0, 0);
        for (size_t i = 0; i < passable.size(); ++i)
            passable[i] = rules().passes(layer[i]) ? 1 : 0;
    }

    // mask(y, z) = 1 when a seeding cell of layer x lies within one cell in y and z.
    // With `passable`, also records which cells of the layer the front may enter.
    void spreadLayer(uint32_t x, std::vector<uint8_t> &mask, std::vector<uint8_t> &column,
                     std::vector<uint8_t> *passable) const
    {
        const Voxel *layer = voxels + volume->index(x, 0, 0);
        // Along z first.
        for (uint32_t y = 0; y < sizeY; ++y) {
            const size_t row = volume->index(0, y, 0);
            uint8_t previous = 0;
            uint8_t current = rules().seedsFrom(layer[row]) ? 1 : 0;
            for (uint32_t z = 0; z < sizeZ; ++z) {
                const uint8_t next = z + 1 < sizeZ && rules().seedsFrom(layer[row + z + 1]) ? 1 : 0;
                column[row + z] = previous | current | next;
                previous = current;
                current = next;
            }
            if (passable)
                for (uint32_t z = 0; z < sizeZ; ++z)
                    (*passable)[row + z] = rules().passes(layer[row + z]) ? 1 : 0;
        }
        // Then along y.
        for (uint32_t y = 0; y < sizeY; ++y) {
            const size_t row = volume->index(0, y, 0);
            const uint8_t *here = column.data() + row;
            const uint8_t *below = y > 0 ? here - stepY : here;
            const uint8_t *above = y + 1 < sizeY ? here + stepY : here;
            uint8_t *out = mask.data() + row;
            for (uint32_t z = 0; z < sizeZ; ++z)
                out[z] = below[z] | here[z] | above[z];
        }
    }

    // A front cell that no longer passes was written in an earlier step; its neighbours
    // were queued then, so it is passed over.
    void evaluateSlice(int32_t slice)
    {
        const size_t s = static_cast<size_t>(slice);
        const std::unique_lock<std::mutex> lock = openSlice(s);
        fillSets[s].clear();
        const uint32_t first = sliceFirst(slice);
        const uint32_t last = sliceLast(slice);
        CellFront &next = newFronts[s];
        const uint32_t cellCount = static_cast<uint32_t>(volume->getCellCount());
        const auto prefetch = [&](uint32_t cell) {
            // The rows beside the cell in the layers before and after it.
            for (uint32_t row : {cell - stepX - stepY, cell - stepX + stepY, cell + stepX - stepY, cell + stepX + stepY})
                if (row < cellCount)
                    prefetchForRead(voxels + row);
        };
        fronts[s].forEachAhead<8>(prefetch, [&](uint32_t cell) {
            if (!rules().passes(voxels[cell]))
                return;
            fillSets[s].push_back(cell);
            uint32_t x, y, z;
            volume->coordinates(cell, &x, &y, &z);
            forEachNeighbour(x, y, z, cell, [&](uint32_t n, uint32_t nx) {
                if (rules().passes(voxels[n]))
                    queue(s, first, last, next, n, nx);
            });
        });
    }

    uint32_t stepX = 0;
    uint32_t stepY = 0;
    uint32_t stepZ = 0;
};

} // namespace Operations
} // namespace Core
