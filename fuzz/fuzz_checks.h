#pragma once
// What every fuzz target shares: how a broken property is reported, and a
// model of number texts (digits, fraction digits, exponent) that gives the
// magnitude and the nearest double of a text independently of the numbers
// module.

#include <cstdint>
#include <string>
#include <string_view>

// Prints the property, the input (escaped) and the detail on standard error,
// then aborts so that libFuzzer keeps the input as a crash.
[[noreturn]] void Violated(const char* property, std::string_view input,
                           const std::string& detail = {});

// The bytes with everything but printable ASCII as \xHH.
std::string Printable(std::string_view bytes);

// Exponents of number texts saturate here: beyond it no text of the fuzz
// inputs' size can bring the value back into any range that matters.
inline constexpr std::int64_t kExponentSaturation = 1'000'000'000'000;

// The parts of a number text that a reader took.
struct NumberDigits {
  bool negative = false;
  std::string digits;  // integer and fraction digits, in text order
  std::int64_t fractionDigits = 0;
  std::int64_t exponent = 0;  // saturated at +-kExponentSaturation
};

void AddExponentDigit(NumberDigits& number, char digit);

// The value is D x 10^(exponent - fractionDigits) with D the integer of the
// digits. For a nonzero value, `significantDigits` counts the digits of D
// and 10^order <= |value| < 10^(order + 1).
struct Magnitude {
  bool zero = true;
  std::int64_t significantDigits = 0;
  std::int64_t order = 0;
};
Magnitude MagnitudeOf(const NumberDigits& number);

// The exact value of the digits rounded to the nearest double (by the C
// library's strtod), with the sign.
double NearestDouble(const NumberDigits& number);

// Whether a and b are the same double or neighbours.
bool WithinOneUnit(double a, double b);

// The double's bits in hexadecimal and its %a form, for reports.
std::string DescribeDouble(double value);
