#include "numbers/digit_accumulation.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t kExponentCeiling = std::int64_t{1} << 62;

}  // namespace

void AccumulateDigit(DigitAccumulator& m, char digit) {
  const auto value = static_cast<std::uint64_t>(digit - '0');
  if (!m.beyondExact) {
    constexpr std::uint64_t kLargest =
        std::numeric_limits<std::uint64_t>::max();
    if (m.exact <= (kLargest - value) / 10) {
      m.exact = m.exact * 10 + value;
      return;
    }
    m.beyondExact = true;
    m.rounded = ExtendedFromUnsigned(m.exact);
  }
  static const Extended kTen = ExtendedFromInteger(10);
  m.rounded =
      AddExtended(MultiplyExtended(m.rounded, kTen),
                  ExtendedFromInteger(static_cast<std::int64_t>(value)));
}

Extended AccumulatedValue(const DigitAccumulator& m) {
  return m.beyondExact ? m.rounded : ExtendedFromUnsigned(m.exact);
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
