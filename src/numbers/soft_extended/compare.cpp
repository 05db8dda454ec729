// Comparisons, unordered when a not-a-number takes part.

#include "numbers/soft_extended/stages.h"

namespace soft_extended {

namespace {

// For canonical encodings the order of magnitudes is the order of the
// exponent field, then of the significand.
bool MagnitudeLess(Value a, Value b) {
  const std::uint16_t aExponent = a.signAndExponent & kExponentField;
  const std::uint16_t bExponent = b.signAndExponent & kExponentField;
  return aExponent < bExponent ||
         (aExponent == bExponent && a.significand < b.significand);
}

}  // namespace

bool LessThan(Value a, Value b) {
  if (IsNotANumber(a) || IsNotANumber(b)) return false;
  const bool aZero = IsZero(a);
  const bool bZero = IsZero(b);
  if (aZero && bZero) return false;
  const bool aNegative = IsSignNegative(a) && !aZero;
  const bool bNegative = IsSignNegative(b) && !bZero;
  if (aNegative != bNegative) return aNegative;
  return aNegative ? MagnitudeLess(b, a) : MagnitudeLess(a, b);
}

bool Equal(Value a, Value b) {
  if (IsNotANumber(a) || IsNotANumber(b)) return false;
  if (IsZero(a) && IsZero(b)) return true;
  return a.significand == b.significand &&
         a.signAndExponent == b.signAndExponent;
}

}  // namespace soft_extended
