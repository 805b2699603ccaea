#pragma once

#include <array>
#include <cstdint>

namespace Core {
namespace Operations {

// The faces a vertical etch works from, as flags: from the top, from below, both or
// none. The numbers are the "EtchDirectionValue" values of process lists.
enum class EtchDirections : uint8_t { None = 0, FromTop = 1, FromBelow = 2, Both = 3 };
constexpr std::array<EtchDirections, 4> etchDirectionChoices{EtchDirections::None, EtchDirections::FromTop,
                                                             EtchDirections::FromBelow, EtchDirections::Both};

constexpr EtchDirections operator|(EtchDirections a, EtchDirections b)
{
    return static_cast<EtchDirections>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}

// Whether `set` holds every direction of `d`.
constexpr bool includes(EtchDirections set, EtchDirections d)
{
    return (static_cast<uint8_t>(set) & static_cast<uint8_t>(d)) == static_cast<uint8_t>(d);
}

} // namespace Operations
} // namespace Core
