#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <type_traits>

namespace Util {

// The number an enumerator stands for where a file, a list, a console command or a
// widget holds the choice as a number.
template <typename E>
constexpr std::underlying_type_t<E> toNumber(E e)
{
    static_assert(std::is_enum<E>::value, "toNumber takes an enumeration");
    return static_cast<std::underlying_type_t<E>>(e);
}

// The enumerator among `values` whose number is `n`; none when no enumerator has it, so
// that a number read from outside is checked before it becomes a choice.
template <typename E, std::size_t N>
constexpr std::optional<E> fromNumber(long long n, const std::array<E, N> &values)
{
    for (const E e : values)
        if (static_cast<long long>(toNumber(e)) == n)
            return e;
    return std::nullopt;
}

} // namespace Util
