// Addition: the exact sum of the aligned significands, rounded once.

#include <utility>

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

Value Add(Value a, Value b) {
  Unpacked x = Unpack(a);
  Unpacked y = Unpack(b);
  if (x.kind == Kind::kUnsupported || y.kind == Kind::kUnsupported) {
    return DefaultNotANumber();
  }
  if (x.kind == Kind::kNotANumber || y.kind == Kind::kNotANumber) {
    return PropagatedNotANumber(a, b);
  }
  if (x.kind == Kind::kInfinite) {
    if (y.kind == Kind::kInfinite && x.negative != y.negative) {
      return DefaultNotANumber();
    }
    return a;
  }
  if (y.kind == Kind::kInfinite) return b;
  if (x.kind == Kind::kZero) {
    // Two zeros sum to -0 only when both are negative.
    return y.kind == Kind::kZero ? Zero(x.negative && y.negative) : b;
  }
  if (y.kind == Kind::kZero) return a;

  // x becomes the operand of larger magnitude; y is aligned to it. Jamming
  // keeps the sum exact enough to round: 64 bits below the significand stay
  // exact, and at most one of them moves up in a cancellation.
  if (y.exponent > x.exponent ||
      (y.exponent == x.exponent && y.significand > x.significand)) {
    std::swap(x, y);
  }
  const UInt128 larger{x.significand, 0};
  const UInt128 smaller = ShiftRightJamming(
      {y.significand, 0}, static_cast<std::uint32_t>(x.exponent - y.exponent));
  std::int32_t exponent = x.exponent;
  if (x.negative == y.negative) {
    bool carry = false;
    UInt128 sum = Add(larger, smaller, carry);
    if (carry) {
      sum = ShiftRightJamming(sum, 1);
      sum.high |= kTopBit;
      ++exponent;
    }
    return RoundAndPack(x.negative, sum, exponent);
  }
  const UInt128 difference = Subtract(larger, smaller);
  // Exact cancellation gives +0 when rounding to nearest.
  if (IsZero(difference)) return Zero(false);
  const int shift = CountLeadingZeros(difference);
  return RoundAndPack(x.negative, ShiftLeft(difference, shift),
                      exponent - shift);
}

}  // namespace soft_extended
