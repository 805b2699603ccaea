#pragma once

#include <array>
#include <cstdint>

namespace Core {
namespace Operations {

// The side a physical vapour deposition comes from: the top (+z), the bottom (-z) or
// both. The numbers are the "DepositOn" values of process lists.
enum class DepositOn : int32_t { Top = 1, Bottom = 2, Both = 3 };
constexpr std::array<DepositOn, 3> depositOnSides{DepositOn::Top, DepositOn::Bottom, DepositOn::Both};

} // namespace Operations
} // namespace Core
