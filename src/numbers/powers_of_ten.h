#pragma once
// Powers of ten as double-extended constants, each the value nearest to the
// exact power (exact up to 1e27).

#include <cstdint>

#include "numbers/extended.h"

inline constexpr std::int32_t kSmallPowerCount = 32;   // 1e0 .. 1e31
inline constexpr std::int32_t kMediumPowerCount = 15;  // 1e32 .. 1e480
inline constexpr std::int32_t kLargePowerCount = 9;    // 1e512 .. 1e4608

Extended SmallPowerOfTen(std::int32_t k);   // 10^k, 0 <= k <= 31
Extended MediumPowerOfTen(std::int32_t j);  // 10^(32 j), 1 <= j <= 15
Extended LargePowerOfTen(std::int32_t j);   // 10^(512 j), 1 <= j <= 9
