// Multiplication: the exact 128-bit product of the significands, rounded once.

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

Value Multiply(Value a, Value b) {
  const Unpacked x = Unpack(a);
  const Unpacked y = Unpack(b);
  if (x.kind == Kind::kUnsupported || y.kind == Kind::kUnsupported) {
    return DefaultNotANumber();
  }
  if (x.kind == Kind::kNotANumber || y.kind == Kind::kNotANumber) {
    return PropagatedNotANumber(a, b);
  }
  const bool negative = x.negative != y.negative;
  if (x.kind == Kind::kInfinite || y.kind == Kind::kInfinite) {
    if (x.kind == Kind::kZero || y.kind == Kind::kZero) {
      return DefaultNotANumber();
    }
    return Infinity(negative);
  }
  if (x.kind == Kind::kZero || y.kind == Kind::kZero) return Zero(negative);

  // Two significands in [2^63, 2^64) give a product in [2^126, 2^128).
  UInt128 product = MultiplyWide(x.significand, y.significand);
  std::int32_t exponent = x.exponent + y.exponent;
  if ((product.high & kTopBit) != 0) {
    ++exponent;
  } else {
    product = ShiftLeft(product, 1);
  }
  return RoundAndPack(negative, product, exponent);
}

}  // namespace soft_extended
