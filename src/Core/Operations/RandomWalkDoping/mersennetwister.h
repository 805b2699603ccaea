#pragma once

#include <cstddef>
#include <cstdint>

namespace Core {
namespace Operations {

// The 32-bit Mersenne Twister MT19937, giving the same numbers as std::mt19937 for the
// same seed. It twists and tempers all 624 words of a block at once, in loops the
// compiler turns into vector code, and then hands them out one load each: random-walk
// doping draws one number per particle in its hot loop, and std::mt19937 spent a fifth
// of the run there.
class MersenneTwister
{
public:
    using result_type = uint32_t;
    static constexpr size_t stateSize = 624;

    explicit MersenneTwister(uint32_t seed)
    {
        state[0] = seed;
        for (uint32_t i = 1; i < stateSize; ++i)
            state[i] = 1812433253u * (state[i - 1] ^ (state[i - 1] >> 30)) + i;
    }

    static constexpr result_type min() { return 0; }
    static constexpr result_type max() { return 0xffffffffu; }

    result_type operator()()
    {
        if (next == stateSize)
            refill();
        return block[next++];
    }

    // Up to `wanted` numbers that follow in the sequence, contiguous: the same numbers
    // as that many calls would give. `*taken` says how many (at least 1 when wanted > 0).
    const uint32_t *take(size_t wanted, size_t *taken)
    {
        if (next == stateSize)
            refill();
        const size_t available = stateSize - next;
        *taken = wanted < available ? wanted : available;
        const uint32_t *numbers = block + next;
        next += *taken;
        return numbers;
    }

private:
    static constexpr size_t shift = 397;

    static uint32_t twist(uint32_t current, uint32_t following, uint32_t distant)
    {
        const uint32_t y = (current & 0x80000000u) | (following & 0x7fffffffu);
        return distant ^ (y >> 1) ^ ((0u - (y & 1u)) & 0x9908b0dfu);
    }

    void refill()
    {
        size_t i = 0;
        for (; i < stateSize - shift; ++i)
            state[i] = twist(state[i], state[i + 1], state[i + shift]);
        for (; i < stateSize - 1; ++i)
            state[i] = twist(state[i], state[i + 1], state[i + shift - stateSize]);
        state[stateSize - 1] = twist(state[stateSize - 1], state[0], state[shift - 1]);
        for (size_t k = 0; k < stateSize; ++k) {
            uint32_t y = state[k];
            y ^= y >> 11;
            y ^= (y << 7) & 0x9d2c5680u;
            y ^= (y << 15) & 0xefc60000u;
            y ^= y >> 18;
            block[k] = y;
        }
        next = 0;
    }

    uint32_t state[stateSize];
    uint32_t block[stateSize];
    size_t next = stateSize;
};

} // namespace Operations
} // namespace Core
