// The double-extended type in integer arithmetic (soft_extended/), with the
// same checks for overflow, invalid operations and division by zero as the
// x87 version.

#include <cfenv>

#include "numbers/extended.h"
#include "numbers/float_events.h"

namespace {

namespace soft = soft_extended;

Extended Wrap(soft::Value value) { return Extended{value}; }

NumberKind KindOf(soft::Value value) {
  if (soft::IsNotANumber(value)) return NumberKind::kNotANumber;
  return soft::IsInfinite(value) ? NumberKind::kInfinite : NumberKind::kFinite;
}

Extended Checked(soft::Value result, soft::Value a, soft::Value b) {
  CheckResult(KindOf(result), KindOf(a), KindOf(b));
  return Wrap(result);
}

}  // namespace

void PutFloatControlInForce() {
  // The type itself does not depend on the processor's setting; the
  // program's few double operations outside it round to nearest, without
  // flushing subnormals to zero, whatever the process inherited.
  std::fesetenv(FE_DFL_ENV);
  ResetFloatEvents();
}

Extended ExtendedFromDouble(double value) {
  return Wrap(soft::FromDouble(value));
}

Extended ExtendedFromInteger(std::int64_t value) {
  return Wrap(soft::FromInteger(value));
}

Extended ExtendedFromUnsigned(std::uint64_t value) {
  return Wrap(soft::FromUnsigned(value));
}

Extended ExtendedFromParts(const ExtendedParts& parts) {
  return Wrap(
      soft::FromParts(parts.negative, parts.significand, parts.exponent));
}

ExtendedParts PartsOfExtended(Extended value) {
  const soft::Parts parts = soft::PartsOf(value.software);
  return {parts.negative, parts.significand, parts.exponent};
}

Extended AddExtended(Extended a, Extended b) {
  return Checked(soft::Add(a.software, b.software), a.software, b.software);
}

Extended MultiplyExtended(Extended a, Extended b) {
  return Checked(soft::Multiply(a.software, b.software), a.software,
                 b.software);
}

Extended DivideExtended(Extended a, Extended b) {
  if (soft::IsZero(b.software) && KindOf(a.software) == NumberKind::kFinite &&
      !soft::IsZero(a.software)) {
    OnZeroDivide();
    return Wrap(soft::Divide(a.software, b.software));
  }
  return Checked(soft::Divide(a.software, b.software), a.software, b.software);
}

Extended NegateExtended(Extended a) { return Wrap(soft::Negate(a.software)); }

Extended AbsoluteExtended(Extended a) {
  return Wrap(soft::Absolute(a.software));
}

bool IsNotANumber(Extended a) { return soft::IsNotANumber(a.software); }
bool IsInfinite(Extended a) { return soft::IsInfinite(a.software); }
bool IsZero(Extended a) { return soft::IsZero(a.software); }
bool IsSignNegative(Extended a) { return soft::IsSignNegative(a.software); }
bool LessThan(Extended a, Extended b) {
  return soft::LessThan(a.software, b.software);
}
bool Equal(Extended a, Extended b) {
  return soft::Equal(a.software, b.software);
}

double ExtendedToDouble(Extended a) { return soft::ToDouble(a.software); }

float ExtendedToSingle(Extended a) { return soft::ToSingle(a.software); }

std::int64_t IntegralToInteger(Extended a) {
  return soft::IntegralToInteger(a.software);
}

std::uint64_t IntegralToUnsigned(Extended a) {
  return soft::IntegralToUnsigned(a.software);
}

Extended NearestIntegral(Extended a) {
  return Wrap(soft::NearestIntegral(a.software));
}

Extended LargestExtended() { return Wrap(soft::Largest(false)); }

Extended OverflowedExtended(bool negative) {
  OnOverflow();
  return Wrap(soft::Infinity(negative));
}

Extended ZeroExtended(bool negative) { return Wrap(soft::Zero(negative)); }
