#include "numbers/parse_argument.h"

#include <cstdint>

#include "main/failure.h"
#include "numbers/decimal_separator.h"
#include "numbers/digit_accumulation.h"
#include "numbers/extended.h"
#include "numbers/rounding.h"
#include "numbers/scale.h"

namespace {

// The exponent's digits stop being taken once they reach this value; any
// digit left after that makes the text unreadable.
constexpr std::int64_t kExponentDigitsStop = 500;

struct ReadArgument {
  bool accepted = false;
  Extended value{};
};

// Runs under the conversion control: overflows are noted, never raised.
ReadArgument ReadUnderConversionControl(std::string_view text, char separator) {
  ReadArgument result;
  std::size_t i = 0;
  const auto at = [&](char byte) { return i < text.size() && text[i] == byte; };
  const auto atDigit = [&] {
    return i < text.size() && IsDecimalDigit(text[i]);
  };

  while (at(' ')) ++i;
  bool negative = false;
  if (at('+') || at('-')) negative = text[i++] == '-';

  DigitAccumulator m;
  bool tookMantissa = false;
  for (; atDigit(); ++i) {
    AccumulateDigit(m, text[i]);
    tookMantissa = true;
  }
  std::int64_t fractionDigits = 0;
  if (at(separator)) {
    ++i;
    tookMantissa = true;
    for (; atDigit(); ++i, ++fractionDigits) AccumulateDigit(m, text[i]);
  }
  if (!tookMantissa) return result;

  std::int64_t exponent = 0;
  if (at('E') || at('e')) {
    ++i;
    bool exponentNegative = false;
    if (at('+') || at('-')) exponentNegative = text[i++] == '-';
    for (; atDigit() && exponent < kExponentDigitsStop; ++i) {
      exponent = exponent * 10 + (text[i] - '0');
    }
    if (exponentNegative) exponent = -exponent;
  }
  while (at(' ')) ++i;
  if (i != text.size()) return result;

  Extended x = ScaleByPowerOfTen(AccumulatedValue(m),
                                 ScaleExponent(exponent, fractionDigits));
  if (negative) x = NegateExtended(x);
  result.accepted = true;
  result.value = x;
  return result;
}

}  // namespace

double ParseArgument(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  const SavedFloatControl saved = PutConversionControlInForce();
  const ReadArgument read =
      ReadUnderConversionControl(text, DecimalSeparator());
  const bool overflowed = OverflowNoted();
  RestoreFloatControl(saved);
  if (!read.accepted || overflowed) RaiseConvertError(text);
  return RoundToDouble(read.value);
}
