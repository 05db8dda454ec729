// FormatReal over arbitrary 64-bit patterns: the first 8 input bytes are the
// double's bits, the low bit of the 9th picks "," instead of "." as the
// decimal separator.
//
// Properties:
// - the text has 1 to 25 bytes, only digits, "-", "E" and the separator, so
//   no blank or control byte anywhere ("NAN", "INF", "-INF" aside);
// - not-a-number, the infinities and both zeros give their fixed texts;
// - the layout: a sign exactly for negative values; at most 18 significant
//   digits, no trailing zero after the separator; plain notation from
//   0.0001 up to 10^18, otherwise one digit before the separator (not a
//   zero, except for some magnitudes below 10^-200 whose first digit comes
//   out as 0) and an exponent with neither "+" nor leading zeros;
// - a normal double reads back through ParseReading (and through
//   ParseArgument with the same separator) to the same double.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "main/counted_text.h"
#include "main/failure.h"
#include "numbers/decimal_separator.h"
#include "numbers/extended.h"
#include "numbers/format_real.h"
#include "numbers/parse_argument.h"
#include "numbers/parse_reading.h"
#include "numbers/rounding.h"

namespace {

bool AllDigits(std::string_view text) {
  return text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::size_t SignificantDigits(std::string_view digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string_view::npos ? 0 : digits.size() - first;
}

// Checks the layout of the text of a finite, nonzero value.
void CheckLayout(std::string_view text, char separator, double value,
                 const std::string& context) {
  std::string_view rest = text;
  const bool signWritten = !rest.empty() && rest[0] == '-';
  if (signWritten != std::signbit(value)) {
    Violated("a sign exactly for negative values", context);
  }
  if (signWritten) rest.remove_prefix(1);

  const std::size_t mark = rest.find('E');
  const std::string_view mantissa = rest.substr(0, mark);
  const std::size_t point = mantissa.find(separator);
  const std::string_view integerPart = mantissa.substr(0, point);
  const std::string_view fraction = point == std::string_view::npos
                                        ? std::string_view()
                                        : mantissa.substr(point + 1);
  if (integerPart.empty() || !AllDigits(integerPart) || !AllDigits(fraction)) {
    Violated("digits around one separator", context);
  }
  if (point != std::string_view::npos &&
      (fraction.empty() || fraction.back() == '0')) {
    Violated("no trailing zero after the separator", context);
  }
  if (SignificantDigits(std::string(integerPart) + std::string(fraction)) >
      18) {
    Violated("at most 18 significant digits", context);
  }

  if (mark != std::string_view::npos) {
    std::string_view exponent = rest.substr(mark + 1);
    const bool negativeExponent = !exponent.empty() && exponent[0] == '-';
    if (negativeExponent) exponent.remove_prefix(1);
    if (exponent.empty() || !AllDigits(exponent) ||
        (exponent.size() > 1 && exponent[0] == '0')) {
      Violated("an exponent of digits without leading zeros", context);
    }
    const int x =
        std::stoi(std::string(exponent)) * (negativeExponent ? -1 : 1);
    // Below 10^-200 the estimate of the decimal exponent can be one too
    // high: the first of the 18 digits is then a zero, and it is written.
    if (integerPart.size() != 1 || (integerPart[0] == '0' && x > -200)) {
      Violated("one nonzero digit before the separator", context);
    }
    if (x > -5 && x < 18) {
      Violated("exponent notation only below 0.0001 and from 10^18", context);
    }
    return;
  }
  if (integerPart.size() > 18) Violated("plain notation below 10^18", context);
  if (integerPart.size() > 1 && integerPart[0] == '0') {
    Violated("no leading zero", context);
  }
  if (integerPart == "0" && fraction.find_first_not_of('0') > 3) {
    Violated("plain notation from 0.0001", context);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  PutFloatControlInForce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::uint8_t bits[8] = {};
  std::memcpy(bits, data, size < 8 ? size : 8);
  double value;
  std::memcpy(&value, bits, sizeof value);
  const char separator = (size > 8 && (data[8] & 1)) ? ',' : '.';
  SetDecimalSeparator(separator);

  const CountedText formatted = FormatReal(value);
  const std::string text(View(formatted));
  const std::string context = DescribeDouble(value) + " -> \"" + text + "\"";

  if (text.empty() || text.size() > 25) Violated("1 to 25 bytes", context);
  for (const char c : text) {
    if (!(c >= '0' && c <= '9') && c != '-' && c != 'E' && c != separator &&
        !std::isnan(value) && !std::isinf(value)) {
      Violated("only digits, sign, E and the separator", context);
    }
  }
  if (std::isnan(value)) {
    if (text != "NAN") Violated("NAN", context);
    return 0;
  }
  if (std::isinf(value)) {
    if (text != (value > 0 ? "INF" : "-INF")) Violated("INF", context);
    return 0;
  }
  if (value == 0) {
    if (text != "0") Violated("0 for either zero", context);
    return 0;
  }
  CheckLayout(text, separator, value, context);

  std::string readingText = text;
  for (char& c : readingText) {
    if (c == separator) c = '.';
  }
  double readBack = 0;
  double argumentBack = 0;
  try {
    const ParsedReading reading = ParseReading(readingText);
    if (reading.errorPosition != 0) {
      Violated("the text reads back whole", context);
    }
    readBack = RoundToDouble(reading.value);
    argumentBack = ParseArgument(text);
  } catch (const Failure& failure) {
    Violated("the text reads back without failure", context, failure.kindName);
  }
  if (std::isnormal(value)) {
    if (std::memcmp(&readBack, &value, sizeof value) != 0) {
      Violated("ParseReading gives the double back", context,
               DescribeDouble(readBack));
    }
    if (std::memcmp(&argumentBack, &value, sizeof value) != 0) {
      Violated("ParseArgument gives the double back", context,
               DescribeDouble(argumentBack));
    }
  }
  return 0;
}
