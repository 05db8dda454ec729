#include "numbers/digit_accumulation.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t kExponentCeiling = std::int64_t{1} << 62;

}  // namespace

Extended AccumulateDigit(Extended m, char digit) {
  static const Extended kTen = ExtendedFromInteger(10);
  return AddExtended(MultiplyExtended(m, kTen),
                     ExtendedFromInteger(digit - '0'));
}

std::int64_t AccumulateExponentDigit(std::int64_t exponent, char digit) {
  if (exponent >= kExponentCeiling / 10) return kExponentCeiling;
  return exponent * 10 + (digit - '0');
}

std::int32_t ScaleExponent(std::int64_t exponent, std::int64_t fractionDigits) {
  const std::int64_t difference =
      std::clamp(exponent, -kExponentCeiling, kExponentCeiling) -
      std::min(fractionDigits, kExponentCeiling);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      difference, std::numeric_limits<std::int32_t>::min(),
      std::numeric_limits<std::int32_t>::max()));
}
