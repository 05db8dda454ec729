#include "numbers/parse_reading.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "numbers/digit_accumulation.h"
#include "numbers/scale.h"

namespace {

// The 1-based position of the byte at index i.
std::int32_t PositionOf(std::size_t i) {
  constexpr std::size_t kLast = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::min(i + 1, kLast));
}

}  // namespace

ParsedReading ParseReading(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  const std::size_t length = text.size();
  DigitAccumulator m;
  if (length == 0) return {AccumulatedValue(m), 1};

  std::size_t i = 0;
  const auto at = [&](char byte) { return i < length && text[i] == byte; };
  const auto atDigit = [&] { return i < length && IsDecimalDigit(text[i]); };

  while (at(' ')) ++i;
  bool negative = false;
  if (at('+') || at('-')) negative = text[i++] == '-';
  if (i == length) return {AccumulatedValue(m), PositionOf(length)};

  for (; atDigit(); ++i) AccumulateDigit(m, text[i]);
  std::int64_t fractionDigits = 0;
  if (at('.')) {
    ++i;
    for (; atDigit(); ++i, ++fractionDigits) AccumulateDigit(m, text[i]);
  }

  std::int64_t exponent = 0;
  if (i < length) {
    if (!at('E') && !at('e')) return {AccumulatedValue(m), PositionOf(i)};
    ++i;
    bool exponentNegative = false;
    if (at('+') || at('-')) exponentNegative = text[i++] == '-';
    if (i == length) return {AccumulatedValue(m), PositionOf(length)};
    if (!atDigit()) return {AccumulatedValue(m), PositionOf(i)};
    for (; atDigit(); ++i)
      exponent = AccumulateExponentDigit(exponent, text[i]);
    if (i < length) return {AccumulatedValue(m), PositionOf(i)};
    if (exponentNegative) exponent = -exponent;
  }

  Extended value = ScaleByPowerOfTen(AccumulatedValue(m),
                                     ScaleExponent(exponent, fractionDigits));
  if (negative) value = NegateExtended(value);
  return {value, 0};
}
