#pragma once
// 128-bit natural numbers from two 64-bit halves, with only what the
// double-extended operations need. Plain 64-bit arithmetic throughout, so
// the same code runs where the compiler offers no 128-bit integer type.

#include <bit>
#include <cstdint>

namespace soft_extended {

struct UInt128 {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
};

inline constexpr std::uint64_t kTopBit = std::uint64_t{1} << 63;

inline bool IsZero(UInt128 a) { return (a.high | a.low) == 0; }

inline bool LessThan(UInt128 a, UInt128 b) {
  return a.high < b.high || (a.high == b.high && a.low < b.low);
}

// a + b; `carry` tells whether the sum reached 2^128.
inline UInt128 Add(UInt128 a, UInt128 b, bool& carry) {
  UInt128 sum;
  sum.low = a.low + b.low;
  const std::uint64_t carryIntoHigh = sum.low < a.low ? 1 : 0;
  sum.high = a.high + b.high + carryIntoHigh;
  carry = sum.high < a.high || (carryIntoHigh != 0 && sum.high == a.high);
  return sum;
}

// a - b, for a >= b.
inline UInt128 Subtract(UInt128 a, UInt128 b) {
  UInt128 difference;
  difference.low = a.low - b.low;
  difference.high = a.high - b.high - (a.low < b.low ? 1 : 0);
  return difference;
}

inline int CountLeadingZeros(UInt128 a) {
  return a.high != 0 ? std::countl_zero(a.high) : 64 + std::countl_zero(a.low);
}

// a << count, for count < 128.
inline UInt128 ShiftLeft(UInt128 a, int count) {
  if (count == 0) return a;
  if (count >= 64) return {a.low << (count - 64), 0};
  return {(a.high << count) | (a.low >> (64 - count)), a.low << count};
}

// a >> count, with every bit shifted out folded into the lowest bit of the
// result ("jamming"): the result still tells whether the discarded part was
// zero, which is all that rounding needs to know of bits that far down.
inline UInt128 ShiftRightJamming(UInt128 a, std::uint32_t count) {
  if (count == 0) return a;
  if (count < 64) {
    const std::uint64_t lost = a.low << (64 - count);
    return {a.high >> count,
            (a.high << (64 - count)) | (a.low >> count) | (lost != 0 ? 1 : 0)};
  }
  if (count == 64) return {0, a.high | (a.low != 0 ? 1 : 0)};
  if (count < 128) {
    const std::uint64_t lost = (a.high << (128 - count)) | a.low;
    return {0, (a.high >> (count - 64)) | (lost != 0 ? 1 : 0)};
  }
  return {0, IsZero(a) ? 0u : 1u};
}

// The full product of two 64-bit numbers, from four 32 x 32-bit products.
inline UInt128 MultiplyWide(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t kLow32 = 0xFFFFFFFFu;
  const std::uint64_t aLow = a & kLow32;
  const std::uint64_t aHigh = a >> 32;
  const std::uint64_t bLow = b & kLow32;
  const std::uint64_t bHigh = b >> 32;
  const std::uint64_t lowLow = aLow * bLow;
  const std::uint64_t lowHigh = aLow * bHigh;
  const std::uint64_t highLow = aHigh * bLow;
  const std::uint64_t highHigh = aHigh * bHigh;
  // Below 3 x 2^32: the sum of the middle column cannot overflow.
  const std::uint64_t middle =
      (lowLow >> 32) + (lowHigh & kLow32) + (highLow & kLow32);
  return {highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
          (middle << 32) | (lowLow & kLow32)};
}

struct QuotientAndRemainder {
  std::uint64_t quotient;
  std::uint64_t remainder;
};

// numerator / divisor, for numerator.high < divisor and a divisor whose top
// bit is set (so the quotient fits in 64 bits).
QuotientAndRemainder DivideWide(UInt128 numerator, std::uint64_t divisor);

}  // namespace soft_extended
