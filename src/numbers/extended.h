#pragma once
// The double-extended real: 1 sign bit, a 15-bit exponent and a 64-bit
// significand with an explicit leading bit. Every intermediate result of the
// system is held in it, and every operation below rounds its result once to
// that format, to nearest with ties to even.
//
// Callers use only these functions, never the representation, so that the
// format can be provided by the x87 unit or by integer arithmetic.
//
// Overflow and invalid operations are found by checking operands and
// results. Under the float control (the normal setting) they raise EOverflow
// and EInvalidOp. Under the conversion control, which the reading of a
// command-line argument puts in force for its own duration, they are noted
// instead and the result is infinity (or not-a-number).

#include <cfloat>
#include <cstdint>

// The build chooses the type (src/numbers/CMakeLists.txt): the x87 unit's
// long double where the compiler offers it, integer arithmetic elsewhere or
// when PHM210_SOFT_EXTENDED asks for it. Both round alike, bit for bit.
#if PHM210_EXTENDED_IN_SOFTWARE

#include "numbers/soft_extended/soft_extended.h"

struct Extended {
  soft_extended::Value software;  // read and written only by this module
};

#else

#if !defined(__x86_64__) && !defined(__i386__)
#error "The x87 double-extended type needs an x86 processor."
#endif
#if LDBL_MANT_DIG != 64
#error \
    "long double must be the x87 double-extended format (64-bit significand)."
#endif

struct Extended {
  long double hardware;  // read and written only by the numbers module
};

#endif

// A finite, nonzero value as significand x 2^exponent, the significand
// normalised (bit 63 set), so subnormal values have exponents below
// kExtendedLowestBitExponent.
struct ExtendedParts {
  bool negative = false;
  std::uint64_t significand = 0;
  std::int32_t exponent = 0;
};

inline constexpr std::int32_t kExtendedMaxExponent = 16383;  // 2^16383 <= max
inline constexpr std::int32_t kExtendedMinNormalExponent = -16382;
// Exponent of the last significand bit of the smallest subnormal.
inline constexpr std::int32_t kExtendedLowestBitExponent = -16445;

// Start-up: 64-bit precision and rounding to nearest for every operation,
// whatever the process inherited.
void PutFloatControlInForce();

// The conversion control, in force from PutConversionControlInForce until
// RestoreFloatControl; the noted overflow is cleared at both ends.
struct SavedFloatControl {
  bool conversionControlWasInForce;
};
SavedFloatControl PutConversionControlInForce();
bool OverflowNoted();
void RestoreFloatControl(SavedFloatControl saved);

// Exact conversions.
Extended ExtendedFromDouble(double value);
Extended ExtendedFromInteger(std::int64_t value);
Extended ExtendedFromUnsigned(std::uint64_t value);
Extended ExtendedFromParts(
    const ExtendedParts& parts);                // exact if representable
ExtendedParts PartsOfExtended(Extended value);  // finite, nonzero

// Rounded operations.
Extended AddExtended(Extended a, Extended b);
Extended MultiplyExtended(Extended a, Extended b);
Extended DivideExtended(Extended a, Extended b);  // EZeroDivide for x / 0
Extended NegateExtended(Extended a);
Extended AbsoluteExtended(Extended a);

bool IsNotANumber(Extended a);
bool IsInfinite(Extended a);
bool IsZero(Extended a);          // either sign
bool IsSignNegative(Extended a);  // also for -0 and -infinity
bool LessThan(Extended a, Extended b);
bool Equal(Extended a, Extended b);

// Rounded to double, to nearest; the caller has checked the range.
double ExtendedToDouble(Extended a);
// Rounded to single, to nearest; the caller has checked the range.
float ExtendedToSingle(Extended a);
// The integer equal to an integral value that the caller has checked to lie
// in the range of the result.
std::int64_t IntegralToInteger(Extended a);
std::uint64_t IntegralToUnsigned(Extended a);

// The nearest integral value, ties to even (the value itself when it is not
// finite).
Extended NearestIntegral(Extended a);

// The largest finite value: (2^64 - 1) x 2^16320.
Extended LargestExtended();
// The result of an operation that overflows, found by other means than the
// operations above: raises EOverflow under the float control; under the
// conversion control notes the overflow and gives infinity of that sign.
Extended OverflowedExtended(bool negative);
Extended ZeroExtended(bool negative);
