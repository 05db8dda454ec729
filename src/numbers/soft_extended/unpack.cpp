// Reading an encoding, and the special values and tests on encodings.

#include <bit>

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

Unpacked Unpack(Value a) {
  Unpacked u;
  u.negative = (a.signAndExponent & kSignBit) != 0;
  const std::int32_t biased = a.signAndExponent & kExponentField;
  const std::uint64_t significand = a.significand;
  if (biased == kExponentField) {
    if (significand == kTopBit) {
      u.kind = Kind::kInfinite;
    } else if ((significand & kTopBit) != 0) {
      u.kind = Kind::kNotANumber;
    } else {
      u.kind = Kind::kUnsupported;
    }
  } else if (biased == 0) {
    if (significand == 0) {
      u.kind = Kind::kZero;
    } else {
      // Subnormal: the weight of the integer bit is that of the smallest
      // normal exponent.
      const int shift = std::countl_zero(significand);
      u.kind = Kind::kFinite;
      u.significand = significand << shift;
      u.exponent = 1 - kExponentBias - shift;
    }
  } else if ((significand & kTopBit) == 0) {
    u.kind = Kind::kUnsupported;
  } else {
    u.kind = Kind::kFinite;
    u.significand = significand;
    u.exponent = biased - kExponentBias;
  }
  return u;
}

Value Largest(bool negative) {
  return {~std::uint64_t{0},
          static_cast<std::uint16_t>((negative ? kSignBit : 0) |
                                     (kExponentField - 1))};
}

Value Infinity(bool negative) {
  return {kTopBit, static_cast<std::uint16_t>((negative ? kSignBit : 0) |
                                              kExponentField)};
}

Value Zero(bool negative) {
  return {0, static_cast<std::uint16_t>(negative ? kSignBit : 0)};
}

Value DefaultNotANumber() {
  return {kTopBit | (kTopBit >> 1),
          static_cast<std::uint16_t>(kSignBit | kExponentField)};
}

bool IsNotANumber(Value a) {
  const Kind kind = Unpack(a).kind;
  return kind == Kind::kNotANumber || kind == Kind::kUnsupported;
}

bool IsInfinite(Value a) { return Unpack(a).kind == Kind::kInfinite; }

bool IsZero(Value a) { return Unpack(a).kind == Kind::kZero; }

bool IsSignNegative(Value a) { return (a.signAndExponent & kSignBit) != 0; }

Value Negate(Value a) {
  a.signAndExponent ^= kSignBit;
  return a;
}

Value Absolute(Value a) {
  a.signAndExponent &= static_cast<std::uint16_t>(~kSignBit);
  return a;
}

Parts PartsOf(Value a) {
  const Unpacked u = Unpack(a);
  return {u.negative, u.significand, u.exponent - 63};
}

}  // namespace soft_extended
