#include "numbers/format_real.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "numbers/decimal_separator.h"
#include "numbers/extended.h"
#include "numbers/scale.h"

namespace {

constexpr int kSignificantDigits = 18;
constexpr std::uint64_t kTenToThe18 = 1000000000000000000u;
// 19728 / 65536 stands for log10 2 in the estimate of the decimal exponent.
constexpr std::int32_t kLog10Of2Times65536 = 19728;

// The decimal form: magnitude = 0.d1 d2 ... dn x 10^decimalExponent.
struct DecimalForm {
  char digits[kSignificantDigits];
  int digitCount;
  std::int32_t decimalExponent;
};

// e with 2^e <= |value| < 2^(e+1), read from the double's own fields: the
// widening to double-extended is exact, so it is the same e.
std::int32_t BinaryExponentOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const auto biasedExponent = static_cast<std::int32_t>((bits >> 52) & 0x7FF);
  if (biasedExponent != 0) return biasedExponent - 1023;
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  return -1074 + static_cast<std::int32_t>(std::bit_width(fraction)) - 1;
}

// a is the widened |value|, finite and nonzero.
DecimalForm DecimalFormOf(Extended a, double value) {
  const std::int32_t binaryExponent = BinaryExponentOf(value);
  // Floor division: the shift of a negative number rounds towards -infinity.
  std::int32_t decimalExponent =
      ((kLog10Of2Times65536 * binaryExponent) >> 16) + 1;

  // The digits as one integer: a x 10^(18 - N), rounded at each step.
  const Extended scaled =
      ScaleByPowerOfTen(a, kSignificantDigits - decimalExponent);
  std::uint64_t digits = IntegralToUnsigned(NearestIntegral(scaled));
  if (digits >= kTenToThe18) {
    // The estimate was one too small: a 19th digit is rounded off.
    const std::uint64_t remainder = digits % 10;
    digits /= 10;
    if (remainder > 5 || (remainder == 5 && (digits & 1) != 0)) ++digits;
    ++decimalExponent;
  }

  DecimalForm form;
  for (int i = kSignificantDigits - 1; i >= 0; --i) {
    form.digits[i] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  form.digitCount = kSignificantDigits;
  while (form.digitCount > 1 && form.digits[form.digitCount - 1] == '0') {
    --form.digitCount;
  }
  form.decimalExponent = decimalExponent;
  return form;
}

struct TextBuilder {
  char bytes[kCountedTextCapacity];
  std::size_t length = 0;
};

void Put(TextBuilder& text, char byte) { text.bytes[text.length++] = byte; }

void PutDigits(TextBuilder& text, const char* digits, int count) {
  for (int i = 0; i < count; ++i) Put(text, digits[i]);
}

void PutExponent(TextBuilder& text, std::int32_t exponent) {
  Put(text, 'E');
  if (exponent < 0) Put(text, '-');
  std::uint32_t magnitude = exponent < 0
                                ? 0u - static_cast<std::uint32_t>(exponent)
                                : static_cast<std::uint32_t>(exponent);
  char reversed[10];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (count > 0) Put(text, reversed[--count]);
}

void LayOut(TextBuilder& text, const DecimalForm& form, char separator) {
  const int n = form.digitCount;
  const std::int32_t exponent = form.decimalExponent;
  if (exponent > kSignificantDigits || exponent < -3) {
    Put(text, form.digits[0]);
    if (n > 1) {
      Put(text, separator);
      PutDigits(text, form.digits + 1, n - 1);
    }
    PutExponent(text, exponent - 1);
  } else if (exponent <= 0) {
    Put(text, '0');
    Put(text, separator);
    for (std::int32_t i = 0; i < -exponent; ++i) Put(text, '0');
    PutDigits(text, form.digits, n);
  } else if (n <= exponent) {
    PutDigits(text, form.digits, n);
    for (std::int32_t i = n; i < exponent; ++i) Put(text, '0');
  } else {
    PutDigits(text, form.digits, exponent);
    Put(text, separator);
    PutDigits(text, form.digits + exponent, n - exponent);
  }
}

}  // namespace

CountedText FormatReal(double value) {
  const Extended x = ExtendedFromDouble(value);
  CountedText result;
  if (IsNotANumber(x)) {
    AssignCountedText(result, "NAN");
  } else if (IsInfinite(x)) {
    AssignCountedText(result, IsSignNegative(x) ? "-INF" : "INF");
  } else if (IsZero(x)) {
    AssignCountedText(result, "0");
  } else {
    TextBuilder text;
    if (IsSignNegative(x)) Put(text, '-');
    LayOut(text, DecimalFormOf(AbsoluteExtended(x), value), DecimalSeparator());
    AssignCountedText(result, {text.bytes, text.length});
  }
  return result;
}
