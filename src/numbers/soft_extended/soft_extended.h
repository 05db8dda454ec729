#pragma once
// The double-extended format in plain integer arithmetic, bit for bit what
// the x87 unit computes with a 64-bit significand, rounding to nearest (ties
// to even) and every exception masked. It is the Extended of the numbers
// module wherever long double is not the x87 format, and a model to compare
// the hardware with where it is.
//
// A value keeps the x87's own layout: a 64-bit significand with an explicit
// integer bit, and the sign above a 15-bit exponent biased by 16383.
// Exponent 0 holds zeros and subnormals (value = significand x 2^-16445),
// exponent 0x7FFF infinities (significand 2^63) and not-a-numbers (any other
// significand with the integer bit set; bit 62 set for a quiet one). Every
// operation below gives such canonical encodings only: the integer bit is
// set exactly when the exponent is not 0.
//
// Nothing here raises or records anything: every event shows in the result,
// as it does in the masked x87 (infinity after an overflow, the default
// not-a-number after an invalid operation, subnormals or zero after an
// underflow). Each arithmetic result is the exact result rounded once.

#include <cstdint>

namespace soft_extended {

struct Value {
  std::uint64_t significand = 0;
  std::uint16_t signAndExponent = 0;
};

inline constexpr std::uint16_t kSignBit = 0x8000;
inline constexpr std::uint16_t kExponentField = 0x7FFF;
inline constexpr std::int32_t kExponentBias = 16383;

// A finite, nonzero value as significand x 2^exponent, the significand
// normalised (bit 63 set).
struct Parts {
  bool negative = false;
  std::uint64_t significand = 0;
  std::int32_t exponent = 0;
};

// Not-a-number operands: the result is the quiet form of one of them (a
// quiet one before a signalling one, else the larger significand).
// Invalid operations (infinity - infinity, 0 x infinity, 0 / 0,
// infinity / infinity) give the default not-a-number; x / 0 gives infinity.
Value Add(Value a, Value b);
Value Multiply(Value a, Value b);
Value Divide(Value a, Value b);
Value Negate(Value a);
Value Absolute(Value a);

bool IsNotANumber(Value a);
bool IsInfinite(Value a);
bool IsZero(Value a);             // either sign
bool IsSignNegative(Value a);     // also for -0 and -infinity
bool LessThan(Value a, Value b);  // false when either is not a number
bool Equal(Value a, Value b);     // -0 equals +0; not-a-number equals nothing

// Exact conversions (a signalling not-a-number becomes quiet).
Value FromDouble(double value);
Value FromInteger(std::int64_t value);
Value FromUnsigned(std::uint64_t value);
// (-1)^negative x significand x 2^exponent rounded once, to infinity beyond
// the range: what ldexp gives.
Value FromParts(bool negative, std::uint64_t significand,
                std::int32_t exponent);
Parts PartsOf(Value a);  // a finite and nonzero

// Rounded once to the narrower format, subnormals included; infinity beyond
// its range. A not-a-number keeps its sign and the high bits of its payload.
double ToDouble(Value a);
float ToSingle(Value a);

// The nearest integral value, ties to even; infinities and zeros unchanged.
Value NearestIntegral(Value a);
// The integer part (truncated towards zero) of a value in the range of the
// result; outside it (not-a-numbers and infinities included) the x87's
// "integer indefinite", the lowest integer, for the signed result.
std::int64_t IntegralToInteger(Value a);
// The integer part of a value in [0, 2^64).
std::uint64_t IntegralToUnsigned(Value a);

Value Largest(bool negative);  // (2^64 - 1) x 2^16320
Value Infinity(bool negative);
Value Zero(bool negative);
Value DefaultNotANumber();  // negative, quiet, payload 0: "real indefinite"

}  // namespace soft_extended
