#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace Core {
namespace Operations {

// The cells one slice evaluates in one step of an automaton: every cell at most once,
// in the order found. A bitmap over the slice's own cells answers "already queued?" in
// constant time without hashing, and the list keeps iteration proportional to the
// front rather than to the slice. Both keep their storage between steps.
class CellFront
{
public:
    // Makes the front cover cells firstCell .. firstCell + cellCount - 1, empty.
    void cover(uint32_t firstCell, size_t cellCount)
    {
        base = firstCell;
        bits.assign((cellCount + 63) / 64, 0);
        cells.clear();
    }

    // Adds a cell of the covered range; false when it was already there.
    bool insert(uint32_t cell)
    {
        const uint32_t bit = cell - base;
        uint64_t &word = bits[bit >> 6];
        const uint64_t mask = uint64_t(1) << (bit & 63);
        if (word & mask)
            return false;
        word |= mask;
        cells.push_back(cell);
        return true;
    }

    bool contains(uint32_t cell) const
    {
        const uint32_t bit = cell - base;
        return (bits[bit >> 6] >> (bit & 63)) & 1;
    }

    // Every set bit belongs to a listed cell, so clearing the words of the listed cells
    // clears the whole bitmap.
    void clear()
    {
        for (uint32_t cell : cells)
            bits[(cell - base) >> 6] = 0;
        cells.clear();
    }

    // Drops the storage (outside a run).
    void release()
    {
        std::vector<uint64_t>().swap(bits);
        std::vector<uint32_t>().swap(cells);
    }

    void swap(CellFront &other)
    {
        std::swap(base, other.base);
        bits.swap(other.bits);
        cells.swap(other.cells);
    }

    bool empty() const { return cells.empty(); }
    size_t size() const { return cells.size(); }
    void reserve(size_t n) { cells.reserve(n); }
    std::vector<uint32_t>::const_iterator begin() const { return cells.begin(); }
    std::vector<uint32_t>::const_iterator end() const { return cells.end(); }
    const std::vector<uint32_t> &list() const { return cells; }

private:
    uint32_t base = 0;
    std::vector<uint64_t> bits;
    std::vector<uint32_t> cells;
};

} // namespace Operations
} // namespace Core
