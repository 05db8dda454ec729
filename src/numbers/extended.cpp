// The double-extended type on the x87 unit.

#include "numbers/extended.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include <cmath>
#include <limits>

#include "numbers/float_events.h"

namespace {

// x87 control word: all exceptions masked (they are detected by explicit
// checks instead), 64-bit precision, rounding to nearest.
constexpr std::uint16_t kHardwareControlWord = 0x037F;

// SSE (double and single arithmetic): rounding-control, flush-to-zero and
// denormals-are-zero bits, all of which must be clear; exception masks set.
constexpr unsigned kSseRoundingAndFlushBits = 0x6000u | 0x8000u | 0x0040u;
constexpr unsigned kSseExceptionMasks = 0x1F80u;

Extended Wrap(long double value) { return Extended{value}; }

NumberKind KindOf(long double value) {
  if (std::isnan(value)) return NumberKind::kNotANumber;
  return std::isinf(value) ? NumberKind::kInfinite : NumberKind::kFinite;
}

Extended Checked(long double result, long double a, long double b) {
  CheckResult(KindOf(result), KindOf(a), KindOf(b));
  return Wrap(result);
}

}  // namespace

void PutFloatControlInForce() {
  const std::uint16_t controlWord = kHardwareControlWord;
  asm volatile("fnclex\n\tfldcw %0" : : "m"(controlWord));
#if defined(__SSE__)
  unsigned sseControl = _mm_getcsr();
  sseControl &= ~kSseRoundingAndFlushBits;
  sseControl |= kSseExceptionMasks;
  _mm_setcsr(sseControl);
#endif
  ResetFloatEvents();
}

Extended ExtendedFromDouble(double value) {
  return Wrap(static_cast<long double>(value));
}

Extended ExtendedFromInteger(std::int64_t value) {
  return Wrap(static_cast<long double>(value));
}

Extended ExtendedFromUnsigned(std::uint64_t value) {
  return Wrap(static_cast<long double>(value));
}

Extended ExtendedFromParts(const ExtendedParts& parts) {
  const long double magnitude =
      std::ldexp(static_cast<long double>(parts.significand), parts.exponent);
  return Wrap(parts.negative ? -magnitude : magnitude);
}

ExtendedParts PartsOfExtended(Extended value) {
  int exponent = 0;
  const long double fraction = std::frexp(value.hardware, &exponent);
  ExtendedParts parts;
  parts.negative = std::signbit(value.hardware);
  // The fraction lies in [0.5, 1): 64 bits of it make an exact integer.
  parts.significand =
      static_cast<std::uint64_t>(std::ldexp(std::fabs(fraction), 64));
  parts.exponent = exponent - 64;
  return parts;
}

Extended AddExtended(Extended a, Extended b) {
  return Checked(a.hardware + b.hardware, a.hardware, b.hardware);
}

Extended MultiplyExtended(Extended a, Extended b) {
  return Checked(a.hardware * b.hardware, a.hardware, b.hardware);
}

Extended DivideExtended(Extended a, Extended b) {
  if (b.hardware == 0 && std::isfinite(a.hardware) && a.hardware != 0) {
    OnZeroDivide();
    return Wrap(a.hardware / b.hardware);
  }
  return Checked(a.hardware / b.hardware, a.hardware, b.hardware);
}

Extended NegateExtended(Extended a) { return Wrap(-a.hardware); }

Extended AbsoluteExtended(Extended a) { return Wrap(std::fabs(a.hardware)); }

bool IsNotANumber(Extended a) { return std::isnan(a.hardware); }
bool IsInfinite(Extended a) { return std::isinf(a.hardware); }
bool IsZero(Extended a) { return a.hardware == 0; }
bool IsSignNegative(Extended a) { return std::signbit(a.hardware); }
bool LessThan(Extended a, Extended b) { return a.hardware < b.hardware; }
bool Equal(Extended a, Extended b) { return a.hardware == b.hardware; }

double ExtendedToDouble(Extended a) { return static_cast<double>(a.hardware); }

float ExtendedToSingle(Extended a) { return static_cast<float>(a.hardware); }

std::int64_t IntegralToInteger(Extended a) {
  return static_cast<std::int64_t>(a.hardware);
}

std::uint64_t IntegralToUnsigned(Extended a) {
  return static_cast<std::uint64_t>(a.hardware);
}

Extended NearestIntegral(Extended a) {
  // Under the rounding control put in force at start-up, rint rounds to
  // nearest with ties to even.
  return Wrap(std::rint(a.hardware));
}

Extended LargestExtended() {
  return Wrap(std::numeric_limits<long double>::max());
}

Extended OverflowedExtended(bool negative) {
  OnOverflow();
  const long double infinity = std::numeric_limits<long double>::infinity();
  return Wrap(negative ? -infinity : infinity);
}

Extended ZeroExtended(bool negative) { return Wrap(negative ? -0.0L : 0.0L); }
