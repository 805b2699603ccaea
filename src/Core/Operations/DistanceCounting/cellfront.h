#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace Core {
namespace Operations {

// The cells one slice evaluates in one step of an automaton: a set of cell indices of
// the slice, kept as a bitmap over the slice's cells. Insertion is a bit test, and
// visiting the set walks the bitmap between the lowest and highest word in use, so the
// cells come in ascending index order: neighbouring layers are then read as streams
// rather than at random. The storage is kept between steps. Each slice's front sits on
// its own cache line: the slices' threads update their bounds and counts all the time.
class alignas(64) CellFront
{
public:
    // Makes the front cover cells firstCell .. firstCell + cellCount - 1, empty.
    void cover(uint32_t firstCell, size_t cellCount)
    {
        base = firstCell;
        bits.assign((cellCount + 63) / 64, 0);
        lowWord = bits.size();
        highWord = 0;
        count = 0;
    }

    // Adds a cell of the covered range; false when it was already there.
    bool insert(uint32_t cell)
    {
        const uint32_t bit = cell - base;
        const size_t w = bit >> 6;
        const uint64_t mask = uint64_t(1) << (bit & 63);
        if (bits[w] & mask)
            return false;
        bits[w] |= mask;
        ++count;
        lowWord = std::min(lowWord, w);
        highWord = std::max(highWord, w + 1);
        return true;
    }

    bool contains(uint32_t cell) const
    {
        const uint32_t bit = cell - base;
        return (bits[bit >> 6] >> (bit & 63)) & 1;
    }

    // Calls f(cell) for every cell in ascending order.
    template <class F>
    void forEach(F &&f) const
    {
        for (size_t w = lowWord; w < highWord; ++w) {
            uint64_t word = bits[w];
            const uint32_t first = base + static_cast<uint32_t>(w * 64);
            while (word) {
                f(first + static_cast<uint32_t>(__builtin_ctzll(word)));
                word &= word - 1;
            }
        }
    }

    // forEach for memory-bound work: prefetch(cell) is called `Ahead` cells before
    // f(cell), so that the reads f makes have arrived by the time it runs.
    template <unsigned Ahead, class Prefetch, class F>
    void forEachAhead(Prefetch &&prefetch, F &&f) const
    {
        static_assert((Ahead & (Ahead - 1)) == 0, "a power of two");
        uint32_t pending[Ahead];
        size_t queued = 0;
        forEach([&](uint32_t cell) {
            prefetch(cell);
            if (queued >= Ahead)
                f(pending[queued % Ahead]);
            pending[queued % Ahead] = cell;
            ++queued;
        });
        for (size_t i = queued > Ahead ? queued - Ahead : 0; i < queued; ++i)
            f(pending[i % Ahead]);
    }

    void clear()
    {
        if (lowWord < highWord)
            std::fill(bits.begin() + static_cast<std::ptrdiff_t>(lowWord),
                      bits.begin() + static_cast<std::ptrdiff_t>(highWord), 0);
        lowWord = bits.size();
        highWord = 0;
        count = 0;
    }

    // Drops the storage (outside a run).
    void release()
    {
        std::vector<uint64_t>().swap(bits);
        lowWord = 0;
        highWord = 0;
        count = 0;
    }

    void swap(CellFront &other)
    {
        std::swap(base, other.base);
        bits.swap(other.bits);
        std::swap(lowWord, other.lowWord);
        std::swap(highWord, other.highWord);
        std::swap(count, other.count);
    }

    bool empty() const { return count == 0; }
    size_t size() const { return count; }

private:
    uint32_t base = 0;
    std::vector<uint64_t> bits;
    size_t lowWord = 0;  // first word that may hold a cell
    size_t highWord = 0; // one past the last such word
    size_t count = 0;
};

// A per-slice list on a cache line of its own, for the same reason as CellFront.
template <class T>
struct alignas(64) SliceVector : std::vector<T>
{
    using std::vector<T>::vector;
};

} // namespace Operations
} // namespace Core
