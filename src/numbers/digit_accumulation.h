#pragma once
// What both readers of number texts share: digits gathered into a
// double-extended accumulator, and the power of ten that scales it.

#include <cstdint>

#include "numbers/extended.h"

inline bool IsDecimalDigit(char byte) { return byte >= '0' && byte <= '9'; }

// The accumulator m of a number's digits. Each digit makes it m x 10 +
// digit, each step rounded to double-extended: exact while m stays below
// 2^64, rounded in beyond. While it is exact it is kept as an integer, which
// gives the same values faster.
struct DigitAccumulator {
  std::uint64_t exact = 0;
  bool beyondExact = false;  // from here on m lives in `rounded`
  Extended rounded{};
};

// An overflow behaves as the control in force says (extended.h).
void AccumulateDigit(DigitAccumulator& m, char digit);
Extended AccumulatedValue(const DigitAccumulator& m);

// Adds one digit to an exponent read from a text of any length. Past 2^62
// the exponent stops growing: no text in memory has enough fraction digits
// to bring such an exponent back into the range where its exact value
// matters.
std::int64_t AccumulateExponentDigit(std::int64_t exponent, char digit);

// exponent - fractionDigits as the argument of ScaleByPowerOfTen. Beyond the
// 32-bit range the scaled value no longer depends on the exponent (it is zero
// or overflows), so the difference saturates instead of wrapping.
std::int32_t ScaleExponent(std::int64_t exponent, std::int64_t fractionDigits);
