// Division: 64 quotient bits and what the remainder says of the rest,
// rounded once.

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

Value Divide(Value a, Value b) {
  const Unpacked x = Unpack(a);
  const Unpacked y = Unpack(b);
  if (x.kind == Kind::kUnsupported || y.kind == Kind::kUnsupported) {
    return DefaultNotANumber();
  }
  if (x.kind == Kind::kNotANumber || y.kind == Kind::kNotANumber) {
    return PropagatedNotANumber(a, b);
  }
  const bool negative = x.negative != y.negative;
  if (x.kind == Kind::kInfinite) {
    return y.kind == Kind::kInfinite ? DefaultNotANumber() : Infinity(negative);
  }
  if (y.kind == Kind::kInfinite) return Zero(negative);
  if (y.kind == Kind::kZero) {
    return x.kind == Kind::kZero ? DefaultNotANumber() : Infinity(negative);
  }
  if (x.kind == Kind::kZero) return Zero(negative);

  // The dividend is placed so that the quotient lies in [2^63, 2^64):
  // x.significand x 2^63 when it is at least the divisor, else x 2^64.
  std::int32_t exponent = x.exponent - y.exponent;
  UInt128 dividend{x.significand, 0};
  if (x.significand >= y.significand) {
    dividend = {x.significand >> 1, x.significand << 63};
  } else {
    --exponent;
  }
  const QuotientAndRemainder division = DivideWide(dividend, y.significand);
  // The bits below the quotient, as far as rounding at any position needs
  // them: whether the rest is zero, below, at or above half a unit.
  std::uint64_t below = 0;
  if (division.remainder != 0) {
    const std::uint64_t complement = y.significand - division.remainder;
    if (division.remainder > complement) {
      below = kTopBit | 1;
    } else if (division.remainder == complement) {
      below = kTopBit;
    } else {
      below = 1;
    }
  }
  return RoundAndPack(negative, {division.quotient, below}, exponent);
}

}  // namespace soft_extended
