#include "fuzz_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void Violated(const char* property, std::string_view input,
              const std::string& detail) {
  std::fprintf(stderr, "PROPERTY VIOLATED: %s\n  input (%zu bytes): \"%s\"\n",
               property, input.size(), Printable(input).c_str());
  if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
  std::abort();
}

std::string Printable(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"') {
      text.push_back(c);
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

void AddExponentDigit(NumberDigits& number, char digit) {
  number.exponent =
      std::min(number.exponent * 10 + (digit - '0'), kExponentSaturation);
}

Magnitude MagnitudeOf(const NumberDigits& number) {
  Magnitude magnitude;
  const std::size_t first = number.digits.find_first_not_of('0');
  if (first == std::string::npos) return magnitude;
  magnitude.zero = false;
  magnitude.significantDigits =
      static_cast<std::int64_t>(number.digits.size() - first);
  magnitude.order =
      magnitude.significantDigits - 1 + number.exponent - number.fractionDigits;
  return magnitude;
}

double NearestDouble(const NumberDigits& number) {
  std::string text = number.negative ? "-0" : "0";
  text += number.digits;
  text += "e" + std::to_string(number.exponent - number.fractionDigits);
  return std::strtod(text.c_str(), nullptr);
}

bool WithinOneUnit(double a, double b) {
  return a == b || std::nextafter(b, INFINITY) == a ||
         std::nextafter(b, -INFINITY) == a;
}

std::string DescribeDouble(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  char text[80];
  std::snprintf(text, sizeof text, "0x%016llX (%a, %.17g)",
                static_cast<unsigned long long>(bits), value, value);
  return text;
}
