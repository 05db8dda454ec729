// ParseReading against its grammar: the input is the reply text.
//
// Properties:
// - the error position is 0 exactly for a text of the grammar; otherwise it
//   is one past the longest start of the text that can still grow into a
//   text of the grammar (length + 1 when the whole text can), so it never
//   wraps and never points beyond length + 1;
// - a value taken whole has the text's sign and lies within one unit in the
//   last place of the exact value when the text has few significant digits;
//   rounded to double, it raises EOverflow exactly beyond the double range;
// - EOverflow while reading only when the digits or the value go beyond the
//   double-extended range; with a nonzero position the value is the digits
//   taken, never negative.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "main/failure.h"
#include "numbers/extended.h"
#include "numbers/parse_reading.h"
#include "numbers/rounding.h"

namespace {

bool AllDigits(std::string_view text) {
  return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Membership of the whole text: blanks, an optional sign, a mantissa of
// digits with at most one "." (possibly empty), and an optional exponent of
// "E" or "e", an optional sign and at least one digit. Blanks and a sign
// alone are no number. Fills `number` for a member.
bool IsReadingText(std::string_view text, NumberDigits& number) {
  number = {};
  std::string_view rest =
      text.substr(text.find_first_not_of(' ') == std::string_view::npos
                      ? text.size()
                      : text.find_first_not_of(' '));
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    number.negative = rest[0] == '-';
    rest.remove_prefix(1);
  }
  if (rest.empty()) return false;
  const std::size_t mark = rest.find_first_of("Ee");
  const std::string_view mantissa = rest.substr(0, mark);
  const std::size_t point = mantissa.find('.');
  const std::string_view integerDigits = mantissa.substr(0, point);
  const std::string_view fractionDigits = point == std::string_view::npos
                                              ? std::string_view()
                                              : mantissa.substr(point + 1);
  if (!AllDigits(integerDigits) || !AllDigits(fractionDigits)) return false;
  number.digits = std::string(integerDigits) + std::string(fractionDigits);
  number.fractionDigits = static_cast<std::int64_t>(fractionDigits.size());
  if (mark == std::string_view::npos) return true;
  std::string_view exponent = rest.substr(mark + 1);
  bool negativeExponent = false;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
    negativeExponent = exponent[0] == '-';
    exponent.remove_prefix(1);
  }
  if (exponent.empty() || !AllDigits(exponent)) return false;
  for (const char digit : exponent) AddExponentDigit(number, digit);
  if (negativeExponent) number.exponent = -number.exponent;
  return true;
}

// A start of a text of the grammar: one digit at most completes it.
bool CanGrowIntoReadingText(std::string_view start) {
  NumberDigits ignored;
  return IsReadingText(start, ignored) ||
         IsReadingText(std::string(start) + "1", ignored);
}

std::int64_t ExpectedPosition(std::string_view text) {
  NumberDigits ignored;
  if (IsReadingText(text, ignored)) return 0;
  // Starts that can grow form a prefix-closed set: bisect for the longest.
  std::size_t good = 0;  // the empty start always can
  std::size_t bad = text.size() + 1;
  while (bad - good > 1) {
    const std::size_t middle = good + (bad - good) / 2;
    if (CanGrowIntoReadingText(text.substr(0, middle))) {
      good = middle;
    } else {
      bad = middle;
    }
  }
  return static_cast<std::int64_t>(good) + 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  PutFloatControlInForce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view text = input.substr(0, input.find('\0'));
  NumberDigits number;
  const bool whole = IsReadingText(text, number);
  const Magnitude magnitude = MagnitudeOf(number);
  const std::int64_t expectedPosition = ExpectedPosition(text);

  ParsedReading reading;
  try {
    reading = ParseReading(input);
  } catch (const Failure& failure) {
    if (std::strcmp(failure.kindName, "EOverflow") != 0) {
      Violated("ParseReading raises only EOverflow", input, failure.kindName);
    }
    // The digits taken before the first byte not taken.
    const std::string_view taken = text.substr(
        0, static_cast<std::size_t>(
               expectedPosition == 0 ? text.size() : expectedPosition - 1));
    std::size_t digitsTaken = 0;
    bool significant = false;
    for (const char c : taken) {
      if (c >= '1' && c <= '9') significant = true;
      if (significant && c >= '0' && c <= '9') ++digitsTaken;
    }
    const bool beyondExtended =
        digitsTaken >= 4932 ||
        (whole && !magnitude.zero && magnitude.order >= 4931);
    if (!beyondExtended) {
      Violated("EOverflow only beyond the double-extended range", input);
    }
    return 0;
  }

  if (reading.errorPosition != expectedPosition) {
    Violated("the error position", input,
             "got " + std::to_string(reading.errorPosition) + ", expected " +
                 std::to_string(expectedPosition));
  }
  if (!whole) {
    if (IsSignNegative(reading.value)) {
      Violated("digits taken so far are unsigned", input);
    }
    return 0;
  }
  if (!magnitude.zero &&
      (magnitude.significantDigits >= 4934 || magnitude.order >= 4933)) {
    Violated("a value beyond double-extended raises EOverflow", input);
  }
  double value;
  try {
    value = RoundToDouble(reading.value);
  } catch (const Failure& failure) {
    if (magnitude.zero || magnitude.order < 307) {
      Violated("EOverflow when stored only beyond the double range", input,
               failure.kindName);
    }
    return 0;
  }
  if (!magnitude.zero && magnitude.order >= 309) {
    Violated("a value beyond the double range raises EOverflow", input);
  }
  if (std::signbit(value) != number.negative) {
    Violated("the value has the text's sign", input, DescribeDouble(value));
  }
  if (magnitude.zero || magnitude.order <= -325) {
    if (value != 0) Violated("a zero text gives zero", input);
  } else if (magnitude.significantDigits <= 40 && magnitude.order >= -300 &&
             magnitude.order <= 300) {
    const double nearest = NearestDouble(number);
    if (!WithinOneUnit(value, nearest)) {
      Violated("the value lies within one unit of the exact value", input,
               "got " + DescribeDouble(value) + ", nearest " +
                   DescribeDouble(nearest));
    }
  }
  return 0;
}
