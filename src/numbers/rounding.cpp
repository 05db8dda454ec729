#include "numbers/rounding.h"

#include <cmath>

#include "main/failure.h"

namespace {

// The first magnitudes that round beyond the largest finite value.
const Extended kDoubleOverflowThreshold =
    ExtendedFromParts({false, 0xFFFFFFFFFFFFFC00u, 1024 - 64});  // 2^1024-2^970
constexpr double kSingleOverflowThreshold = 0x1.ffffffp+127;  // 2^128 - 2^103

// The 64-bit range, as exact extended values: [-2^63, 2^63).
const Extended kIntegerLowest = ExtendedFromParts({true, 1ull << 63, 0});
const Extended kIntegerBeyondHighest =
    ExtendedFromParts({false, 1ull << 63, 0});

}  // namespace

double RoundToDouble(Extended x) {
  if (!LessThan(AbsoluteExtended(x), kDoubleOverflowThreshold) &&
      !IsNotANumber(x)) {
    RaiseOverflow();
  }
  return ExtendedToDouble(x);
}

std::int64_t RoundToInteger(Extended x) {
  if (IsNotANumber(x) || IsInfinite(x)) RaiseInvalidOp();
  const Extended rounded = NearestIntegral(x);
  if (LessThan(rounded, kIntegerLowest) ||
      !LessThan(rounded, kIntegerBeyondHighest)) {
    RaiseInvalidOp();
  }
  return IntegralToInteger(rounded);
}

float NarrowToSingle(double x) {
  if (std::fabs(x) >= kSingleOverflowThreshold) RaiseOverflow();
  // Widening is exact, so this is the one rounding of x to single.
  return ExtendedToSingle(ExtendedFromDouble(x));
}

std::int32_t Low32Bits(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}
