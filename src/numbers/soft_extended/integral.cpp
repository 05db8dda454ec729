// Rounding to integral values and reading integers out of them.

#include <limits>

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

namespace {

constexpr std::int64_t kIntegerIndefinite =
    std::numeric_limits<std::int64_t>::min();

}  // namespace

Value NearestIntegral(Value a) {
  const Unpacked u = Unpack(a);
  switch (u.kind) {
    case Kind::kUnsupported:
      return DefaultNotANumber();
    case Kind::kNotANumber:
      return Quieted(a);
    case Kind::kZero:
    case Kind::kInfinite:
      return a;
    case Kind::kFinite:
      break;
  }
  // From 2^63 up every value is an integer; below 1/2 every value rounds to
  // a zero of its sign.
  if (u.exponent >= 63) return a;
  if (u.exponent < -1) return Zero(u.negative);
  const int fractionBits = 63 - u.exponent;  // 1 to 64
  std::uint64_t integer;
  std::uint64_t rest;
  std::uint64_t half;
  if (fractionBits == 64) {
    integer = 0;
    rest = u.significand;
    half = kTopBit;
  } else {
    integer = u.significand >> fractionBits;
    rest = u.significand & ((std::uint64_t{1} << fractionBits) - 1);
    half = std::uint64_t{1} << (fractionBits - 1);
  }
  if (rest > half || (rest == half && (integer & 1) != 0)) ++integer;
  const Value magnitude = FromUnsigned(integer);
  if (integer == 0) return Zero(u.negative);
  return u.negative ? Negate(magnitude) : magnitude;
}

std::int64_t IntegralToInteger(Value a) {
  const Unpacked u = Unpack(a);
  if (u.kind == Kind::kZero) return 0;
  if (u.kind != Kind::kFinite || u.exponent > 63) return kIntegerIndefinite;
  if (u.exponent < 0) return 0;
  const std::uint64_t magnitude = u.significand >> (63 - u.exponent);
  if (u.negative) {
    if (magnitude > kTopBit) return kIntegerIndefinite;
    return static_cast<std::int64_t>(0 - magnitude);
  }
  if (magnitude >= kTopBit) return kIntegerIndefinite;
  return static_cast<std::int64_t>(magnitude);
}

std::uint64_t IntegralToUnsigned(Value a) {
  const Unpacked u = Unpack(a);
  if (u.kind != Kind::kFinite || u.exponent < 0 || u.exponent > 63) return 0;
  return u.significand >> (63 - u.exponent);
}

}  // namespace soft_extended
