// Into the double-extended format: integers, doubles and scaled significands.

#include <algorithm>
#include <bit>

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

namespace {

constexpr int kDoubleFractionBits = 52;
constexpr std::uint64_t kDoubleFractionMask =
    (std::uint64_t{1} << kDoubleFractionBits) - 1;
constexpr std::int32_t kDoubleExponentField = 0x7FF;
constexpr std::int32_t kDoubleBias = 1023;

// A normal double-extended value from a normalised significand.
Value Packed(bool negative, std::uint64_t significand, std::int32_t exponent) {
  return {significand, static_cast<std::uint16_t>((negative ? kSignBit : 0) |
                                                  (exponent + kExponentBias))};
}

}  // namespace

Value FromUnsigned(std::uint64_t value) {
  if (value == 0) return Zero(false);
  const int shift = std::countl_zero(value);
  return Packed(false, value << shift, 63 - shift);
}

Value FromInteger(std::int64_t value) {
  // The magnitude in unsigned arithmetic: -value does not exist for the
  // lowest integer.
  const bool negative = value < 0;
  const auto bits = static_cast<std::uint64_t>(value);
  const Value magnitude = FromUnsigned(negative ? 0 - bits : bits);
  return negative ? Negate(magnitude) : magnitude;
}

Value FromDouble(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const bool negative = (bits >> 63) != 0;
  const auto biased = static_cast<std::int32_t>((bits >> kDoubleFractionBits) &
                                                kDoubleExponentField);
  const std::uint64_t fraction = bits & kDoubleFractionMask;
  const int widening = 63 - kDoubleFractionBits;
  if (biased == kDoubleExponentField) {
    if (fraction == 0) return Infinity(negative);
    // The payload moves up with the fraction; the x87 quiets it on loading.
    Value nan{
        kTopBit | (kTopBit >> 1) | (fraction << widening),
        static_cast<std::uint16_t>((negative ? kSignBit : 0) | kExponentField)};
    return nan;
  }
  if (biased == 0) {
    if (fraction == 0) return Zero(negative);
    // A subnormal double is a normal double-extended value.
    const int shift = std::countl_zero(fraction);
    return Packed(negative, fraction << shift,
                  1 - kDoubleBias - kDoubleFractionBits + 63 - shift);
  }
  return Packed(negative, kTopBit | (fraction << widening),
                biased - kDoubleBias);
}

Value FromParts(bool negative, std::uint64_t significand,
                std::int32_t exponent) {
  if (significand == 0) return Zero(negative);
  const int shift = std::countl_zero(significand);
  // Far beyond either end of the range the result no longer depends on the
  // exponent; the clamp keeps the arithmetic below within 32 bits.
  constexpr std::int32_t kFarBeyondRange = 1 << 20;
  const std::int32_t topExponent =
      std::clamp(exponent, -kFarBeyondRange, kFarBeyondRange) + 63 - shift;
  return RoundAndPack(negative, {significand << shift, 0}, topExponent);
}

}  // namespace soft_extended
