#pragma once
// Exact arithmetic for checking the numbers module: natural numbers of any
// size, and the double-extended rounding of exact rationals.

#include <cstdint>
#include <string>
#include <vector>

namespace exact {

// A natural number as little-endian 32-bit limbs without leading zero limbs.
struct Natural {
  std::vector<std::uint32_t> limbs;
};

Natural FromUnsigned(std::uint64_t value);
Natural Power(std::uint32_t base, std::uint32_t exponent);
Natural Multiply(const Natural& a, const Natural& b);
Natural Add(const Natural& a, const Natural& b);
Natural Subtract(const Natural& a, const Natural& b);  // a >= b
Natural ShiftLeft(const Natural& a, std::uint64_t bits);
int Compare(const Natural& a, const Natural& b);
std::uint64_t BitLength(const Natural& a);
bool IsZero(const Natural& a);
bool IsOdd(const Natural& a);
// Quotient and remainder; denominator nonzero.
void Divide(const Natural& numerator, const Natural& denominator,
            Natural& quotient, Natural& remainder);
std::string ToDecimal(const Natural& a);
std::uint64_t ToUnsigned(const Natural& a);  // a < 2^64

// numerator / denominator rounded to the nearest integer, ties to even.
Natural RoundedQuotient(const Natural& numerator, const Natural& denominator);

// A double-extended value: significand x 2^exponent, the significand
// normalised to bit 63 (zero for a zero value), or an overflow.
struct Value {
  bool negative = false;
  bool overflow = false;
  std::uint64_t significand = 0;
  std::int64_t exponent = 0;
};

// numerator / denominator x 2^binaryExponent rounded to double-extended, to
// nearest with ties to even, with subnormals (last bit 2^-16445) and overflow
// at 2^16384.
Value RoundToExtended(const Natural& numerator, const Natural& denominator,
                      std::int64_t binaryExponent, bool negative = false);

// The decomposition of a finite double: |d| = significand x 2^exponent.
struct Binary {
  bool negative;
  std::uint64_t significand;
  std::int64_t exponent;
};
Binary BinaryOfDouble(double value);

// x * y and x / y rounded to double-extended (finite, nonzero operands).
Value ProductOf(const Value& x, const Value& y);
Value QuotientOf(const Value& x, const Value& y);
Value NearestPowerOfTen(std::uint32_t exponent);

}  // namespace exact
