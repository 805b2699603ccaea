#include "Model/Automaton/silattice.h"

#include "Model/Automaton/totalvolume.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace Model {
namespace Automaton {

namespace {

using Point = SiLattice::Point;

constexpr float a = SiLattice::latticeConstant;
constexpr float q = 0.35f;   // a / 4
constexpr float h = 0.7f;    // a / 2
constexpr float t = 1.05f;   // 3a / 4

// The standard diamond-cubic basis, before the rotation.
const std::array<Point, 8> atomOffsetTable = {{{{0.0f, 0.0f, 0.0f}},
                                               {{h, h, 0.0f}},
                                               {{q, q, q}},
                                               {{t, t, q}},
                                               {{h, 0.0f, h}},
                                               {{0.0f, h, h}},
                                               {{t, q, t}},
                                               {{q, t, t}}}};

const std::array<Point, 8> cubeCornerTable = {{{{0.0f, 0.0f, 0.0f}},
                                               {{0.0f, 0.0f, a}},
                                               {{0.0f, a, 0.0f}},
                                               {{0.0f, a, a}},
                                               {{a, 0.0f, 0.0f}},
                                               {{a, 0.0f, a}},
                                               {{a, a, 0.0f}},
                                               {{a, a, a}}}};

const std::array<Point, 4> bondTableA = {{{{q, -q, -q}}, {{-q, q, -q}}, {{-q, -q, q}}, {{q, q, q}}}};
const std::array<Point, 4> bondTableB = {{{{-q, -q, -q}}, {{q, q, -q}}, {{q, -q, q}}, {{-q, q, q}}}};

// Bonds inside one unit cell: (atom, atom, slot of the first atom).
constexpr int innerBonds[7][3] = {{0, 2, 3}, {1, 2, 2}, {1, 3, 3}, {2, 4, 2}, {2, 5, 3}, {4, 6, 3}, {5, 7, 3}};

// Bonds to the six forward neighbours: offset of the neighbouring unit cell, then up to
// two (atom here, atom there, slot of the atom here); -1 ends the list.
struct ForwardLink
{
    int di, dj, dk;
    int bonds[2][3];
};
constexpr ForwardLink forwardLinks[6] = {
    {0, 1, 0, {{3, 4, 3}, {7, 4, 1}}},
    {1, 0, 0, {{3, 5, 2}, {6, 5, 1}}},
    {0, 0, 1, {{6, 1, 3}, {7, 1, 2}}},
    {1, 1, 0, {{3, 0, 1}, {-1, 0, 0}}},
    {1, 0, 1, {{6, 0, 2}, {-1, 0, 0}}},
    {0, 1, 1, {{7, 0, 3}, {-1, 0, 0}}},
};

// Where each bond of each atom of a unit cell ends: the unit cell (as an offset) and the
// atom's number there. Follows from the inner bonds and the forward links above.
constexpr SiLattice::FarEnd farEndTable[8][4] = {
    {{0, -1, -1, 7}, {-1, 0, -1, 6}, {-1, -1, 0, 3}, {0, 0, 0, 2}},
    {{0, 0, -1, 6}, {0, 0, -1, 7}, {0, 0, 0, 2}, {0, 0, 0, 3}},
    {{0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 0, 4}, {0, 0, 0, 5}},
    {{0, 0, 0, 1}, {1, 1, 0, 0}, {1, 0, 0, 5}, {0, 1, 0, 4}},
    {{0, -1, 0, 3}, {0, 0, 0, 2}, {0, -1, 0, 7}, {0, 0, 0, 6}},
    {{0, 0, 0, 2}, {-1, 0, 0, 3}, {-1, 0, 0, 6}, {0, 0, 0, 7}},
    {{0, 0, 0, 4}, {1, 0, 0, 5}, {1, 0, 1, 0}, {0, 0, 1, 1}},
    {{0, 0, 0, 5}, {0, 1, 0, 4}, {0, 0, 1, 1}, {0, 1, 1, 0}},
};

Point add(const Point &p, const Point &o)
{
    return Point{{p[0] + o[0], p[1] + o[1], p[2] + o[2]}};
}

} // namespace

SiLattice::SiLattice(TotalVolume *volume) : volume(volume)
{
    buildTemplate();
}

const SiLattice::FarEnd &SiLattice::farEnd(int number, int slot)
{
    return farEndTable[number & 7][slot & 3];
}

void SiLattice::buildTemplate()
{
    for (int n = 0; n < 8; ++n) {
        rotatedTemplate.atomOffsets[n] = SiCell::rotated(atomOffsetTable[n], 0.0, 0.0, 45.0);
        rotatedTemplate.cubeCorners[n] = SiCell::rotated(cubeCornerTable[n], 0.0, 0.0, 45.0);
    }
    for (int k = 0; k < 4; ++k) {
        rotatedTemplate.bondsA[k] = SiCell::rotated(bondTableA[k], 0.0, 0.0, 45.0);
        rotatedTemplate.bondsB[k] = SiCell::rotated(bondTableB[k], 0.0, 0.0, 45.0);
    }
}

SiLattice::Point SiLattice::cellOrigin(int64_t i, int64_t j, int64_t k) const
{
    SiCell c;
    c.origin = Point{{static_cast<float>(i) * a, static_cast<float>(j) * a, 0.0f}};
    c.rotate(0.0, 0.0, 45.0);
    c.translate(latticeOrigin);
    // A turn about z leaves z alone, so the height is the plain translated product.
    c.origin[2] = static_cast<float>(k) * a + latticeOrigin[2];
    return c.origin;
}

int SiLattice::voxelIndexAt(const Point &p) const
{
    const float u = static_cast<float>((static_cast<double>(p[0]) - position.x) / cellSizeX);
    const float v = static_cast<float>((static_cast<double>(p[1]) - position.y) / cellSizeY);
    const float w = static_cast<float>((static_cast<double>(p[2]) - position.z) / cellSizeZ);
    if (!(u >= 0.0f && v >= 0.0f && w >= 0.0f && u < static_cast<float>(sizeX) &&
          v < static_cast<float>(sizeY) && w < static_cast<float>(sizeZ)))
        return -1;
    return static_cast<int>((static_cast<int64_t>(u) * sizeY + static_cast<int64_t>(v)) * sizeZ +
                            static_cast<int64_t>(w));
}

void SiLattice::initialize()
{
    sizeX = volume->getSizeX();
    sizeY = volume->getSizeY();
    sizeZ = volume->getSizeZ();
    cellSizeX = volume->getCellSizeX();
    cellSizeY = volume->getCellSizeY();
    cellSizeZ = volume->getCellSizeZ();
    position = volume->getPosition();
    if (volume->getCellCount() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::length_error("the volume has too many cells for a silicon lattice");

    // The cell counts are used as lengths here, whatever the cell size.
    const float diagonal = static_cast<float>(sizeX + sizeY) / (std::sqrt(2.0f) * a);
    countI = countJ = static_cast<uint32_t>(std::ceil(diagonal));
    countK = static_cast<uint32_t>(std::ceil(static_cast<float>(sizeZ) / a));
    if (static_cast<uint64_t>(countI) * countJ * countK >= std::numeric_limits<uint32_t>::max())
        throw std::length_error("the silicon lattice of this volume is too large");
    latticeOrigin = Point{{static_cast<float>(position.x + sizeX * 0.5), static_cast<float>(position.y - sizeX * 0.5),
                           static_cast<float>(position.z)}};

    cells.clear();
    cells.shrink_to_fit();
    atoms.clear();
    atoms.shrink_to_fit();
    boundary.clear();
    boundary.shrink_to_fit();
    const size_t columns = static_cast<size_t>(countI) * countJ;
    columnStart.assign(columns + 1, 0);

    VoxelLock lock(*volume);
    Voxel *voxels = lock.voxels();
    const size_t voxelCount = volume->getCellCount();
    for (size_t n = 0; n < voxelCount; ++n)
        voxels[n].setCount(0);

    const std::array<Point, 8> &offsets = rotatedTemplate.atomOffsets;
    // Horizontal part of each atom's classification, the same for a whole column:
    // (int)u * sizeY + (int)v, or -1 when the atom lies outside the volume's footprint.
    int64_t planar[8];
    auto columnPlanar = [&](const Point &o) {
        bool any = false;
        for (int n = 0; n < 8; ++n) {
            const float u = static_cast<float>((static_cast<double>(o[0] + offsets[n][0]) - position.x) / cellSizeX);
            const float v = static_cast<float>((static_cast<double>(o[1] + offsets[n][1]) - position.y) / cellSizeY);
            if (u >= 0.0f && v >= 0.0f && u < static_cast<float>(sizeX) && v < static_cast<float>(sizeY)) {
                planar[n] = static_cast<int64_t>(u) * sizeY + static_cast<int64_t>(v);
                any = true;
            } else {
                planar[n] = -1;
            }
        }
        return any;
    };
    // Cell index of atom n of a cell at height oz, or -1.
    auto atomVoxel = [&](int n, float oz) -> int64_t {
        if (planar[n] < 0)
            return -1;
        const float w = static_cast<float>((static_cast<double>(oz + offsets[n][2]) - position.z) / cellSizeZ);
        if (!(w >= 0.0f && w < static_cast<float>(sizeZ)))
            return -1;
        return planar[n] * sizeZ + static_cast<int64_t>(w);
    };

    std::vector<float> heights(countK);
    for (uint32_t k = 0; k < countK; ++k)
        heights[k] = cellOrigin(0, 0, k)[2];

    // First pass: which unit cells hold silicon. Their keys come out in ascending order.
    std::vector<uint32_t> keys;
    for (uint32_t i = 0; i < countI; ++i)
        for (uint32_t j = 0; j < countJ; ++j) {
            const size_t column = static_cast<size_t>(i) * countJ + j;
            columnStart[column] = static_cast<uint32_t>(keys.size());
            if (!columnPlanar(cellOrigin(i, j, 0)))
                continue;
            for (uint32_t k = 0; k < countK; ++k) {
                const float oz = heights[k];
                for (int n = 0; n < 8; ++n) {
                    const int64_t index = atomVoxel(n, oz);
                    if (index >= 0 && voxels[index].getMaterialId() == 1) {
                        keys.push_back(cellKey(i, j, k));
                        break;
                    }
                }
            }
        }
    columnStart[columns] = static_cast<uint32_t>(keys.size());
    if (keys.size() >= (std::numeric_limits<uint32_t>::max() - 1) / 16)
        throw std::length_error("the silicon lattice of this volume is too large");

    // Second pass: place and classify the atoms of the kept cells.
    cells.resize(keys.size());
    atoms.resize(keys.size() * 8);
    std::vector<uint32_t>().swap(keys);
    for (size_t column = 0; column < columns; ++column) {
        const uint32_t first = columnStart[column];
        const uint32_t last = columnStart[column + 1];
        if (first == last)
            continue;
        const uint32_t i = static_cast<uint32_t>(column / countJ);
        const uint32_t j = static_cast<uint32_t>(column % countJ);
        const Point o = cellOrigin(i, j, 0);
        columnPlanar(o);
        // Keys of this column were taken in k order; recover k from the first pass again.
        uint32_t c = first;
        for (uint32_t k = 0; k < countK && c < last; ++k) {
            const float oz = heights[k];
            int64_t index[8];
            bool silicon = false;
            for (int n = 0; n < 8; ++n) {
                index[n] = atomVoxel(n, oz);
                silicon = silicon || (index[n] >= 0 && voxels[index[n]].getMaterialId() == 1);
            }
            if (!silicon)
                continue;
            SiCell &cell = cells[c];
            cell.origin = Point{{o[0], o[1], oz}};
            cell.key = cellKey(i, j, k);
            for (int n = 0; n < 8; ++n) {
                SiAtom &atom = atoms[static_cast<size_t>(c) * 8 + n];
                if (index[n] < 0) {
                    atom.state = AtomAbsent;
                    continue;
                }
                atom.voxelIndex = static_cast<int32_t>(index[n]);
                Voxel &voxel = voxels[index[n]];
                const uint32_t material = voxel.getMaterialId();
                if (material == 1) {
                    atom.state = AtomPresent;
                    voxel.setCount(voxel.getCount() + 1);
                } else {
                    atom.state = material == 0 ? AtomAbsent : AtomFixed;
                }
            }
            ++c;
        }
    }
    linkCells();
}

void SiLattice::linkCells()
{
    for (size_t c = 0; c < cells.size(); ++c) {
        const uint32_t base = cellAtom(c, 0);
        for (const auto &bond : innerBonds)
            link(base + bond[0], bond[2], base + bond[1]);
        uint32_t i, j, k;
        cellCoordinates(c, &i, &j, &k);
        for (const ForwardLink &f : forwardLinks) {
            const uint32_t other = findCell(int64_t(i) + f.di, int64_t(j) + f.dj, int64_t(k) + f.dk);
            if (other == noCell)
                continue;
            const uint32_t otherBase = cellAtom(other, 0);
            for (const auto &bond : f.bonds)
                if (bond[0] >= 0)
                    link(base + bond[0], bond[2], otherBase + bond[1]);
        }
    }
}

void SiLattice::cellCoordinates(size_t c, uint32_t *i, uint32_t *j, uint32_t *k) const
{
    const uint32_t key = cells[c].key;
    *k = key % countK;
    const uint32_t rest = key / countK;
    *j = rest % countJ;
    *i = rest / countJ;
}

uint32_t SiLattice::findCell(int64_t i, int64_t j, int64_t k) const
{
    if (i < 0 || j < 0 || k < 0 || i >= countI || j >= countJ || k >= countK)
        return noCell;
    const size_t column = static_cast<size_t>(i) * countJ + static_cast<size_t>(j);
    const uint32_t first = columnStart[column];
    const uint32_t last = columnStart[column + 1];
    if (first == last)
        return noCell;
    const uint32_t key = cellKey(static_cast<uint32_t>(i), static_cast<uint32_t>(j), static_cast<uint32_t>(k));
    const uint32_t low = cells[first].key;
    const uint32_t high = cells[last - 1].key;
    if (key < low || key > high)
        return noCell;
    if (high - low == last - 1 - first) // the column's cells form one run
        return first + (key - low);
    const auto it = std::lower_bound(cells.begin() + first, cells.begin() + last, key,
                                     [](const SiCell &cell, uint32_t value) { return cell.key < value; });
    return it != cells.begin() + last && it->key == key ? static_cast<uint32_t>(it - cells.begin()) : noCell;
}

bool SiLattice::isSublatticeA(uint32_t a) const
{
    if (hasCell(a))
        return SiCell::isSublatticeA(atomNumber(a));
    // A boundary atom sits opposite the one atom it is bonded to.
    for (uint32_t n : atom(a).neighbours)
        if (n != SiAtom::none && hasCell(n))
            return !SiCell::isSublatticeA(atomNumber(n));
    return true;
}

SiLattice::Point SiLattice::atomPosition(uint32_t a) const
{
    if (!hasCell(a))
        return Point{{0.0f, 0.0f, 0.0f}};
    return add(cells[a / 8].origin, rotatedTemplate.atomOffsets[atomNumber(a)]);
}

SiLattice::Point SiLattice::bondEnd(uint32_t a, int slot) const
{
    const Point p = atomPosition(a);
    if (slot < 0 || slot > 3)
        return p;
    return add(p, isSublatticeA(a) ? rotatedTemplate.bondsA[slot] : rotatedTemplate.bondsB[slot]);
}

bool SiLattice::isSurfaceAtom(uint32_t a) const
{
    for (uint32_t b : atom(a).neighbours)
        if (b == SiAtom::none || stateOf(b) == AtomAbsent)
            return true;
    return false;
}

int SiLattice::neighbourVoxelIndex(uint32_t a, int slot) const
{
    if (slot < 0 || slot > 3 || !hasCell(a))
        return -1;
    uint32_t i, j, k;
    cellCoordinates(a / 8, &i, &j, &k);
    const FarEnd &end = farEnd(atomNumber(a), slot);
    const Point origin = cellOrigin(int64_t(i) + end.di, int64_t(j) + end.dj, int64_t(k) + end.dk);
    return voxelIndexAt(add(origin, rotatedTemplate.atomOffsets[end.number]));
}

void SiLattice::link(uint32_t a, int slot, uint32_t b)
{
    if (slot < 0 || slot > 3)
        return;
    atom(a).neighbours[slot] = b;
    atom(b).neighbours[3 - slot] = a;
}

uint32_t SiLattice::addBoundaryAtom(uint32_t a, int slot)
{
    SiAtom fixed;
    fixed.state = AtomFixed;
    boundary.push_back(fixed);
    const uint32_t index = static_cast<uint32_t>(atoms.size() + boundary.size() - 1);
    link(a, slot, index);
    return index;
}

void SiLattice::clearBoundaryAtoms()
{
    for (size_t b = 0; b < boundary.size(); ++b) {
        const uint32_t index = static_cast<uint32_t>(atoms.size() + b);
        for (int slot = 0; slot < 4; ++slot) {
            const uint32_t n = boundary[b].neighbours[slot];
            if (n != SiAtom::none && atom(n).neighbours[3 - slot] == index)
                atom(n).neighbours[3 - slot] = SiAtom::none;
        }
    }
    boundary.clear();
}

size_t SiLattice::memoryBytes() const
{
    return sizeof(*this) + cells.capacity() * sizeof(SiCell) + columnStart.capacity() * sizeof(uint32_t) +
           (atoms.capacity() + boundary.capacity()) * sizeof(SiAtom);
}

} // namespace Automaton
} // namespace Model
