// ParseArgument against the grammar it documents, with "." and with "," as
// the decimal separator. The first input byte picks the separator (its low
// bit); the rest is the argument text.
//
// Properties:
// - a text of the grammar is accepted unless its value overflows the
//   double-extended range; a text outside it raises EConvertError whose
//   message quotes the text;
// - EOverflow only for values beyond the double range, and always for them;
// - an accepted value has the text's sign (zero included) and lies within
//   one unit in the last place of the exact value when the text has few
//   significant digits;
// - where ParseReading takes the same text whole (with the separators
//   swapped for ","), both give the same double;
// - the float control is back in force afterwards, whatever happened.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_checks.h"
#include "main/failure.h"
#include "numbers/decimal_separator.h"
#include "numbers/extended.h"
#include "numbers/parse_argument.h"
#include "numbers/parse_reading.h"
#include "numbers/rounding.h"

namespace {

struct ArgumentForm {
  bool wellFormed = false;
  NumberDigits number;
};

bool AllDigits(std::string_view text) {
  return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The grammar, read off the text as a whole rather than byte by byte:
// blanks around a core of [sign] mantissa [E|e [sign] digits], the mantissa
// digits with at most one separator and not empty, and exponent digits that
// stop being read once they reach 500 (so no digit may follow that point).
ArgumentForm ReadForm(std::string_view text, char separator) {
  ArgumentForm form;
  text = text.substr(0, text.find('\0'));
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return form;
  std::string_view core = text.substr(first);
  core = core.substr(0, core.find_last_not_of(' ') + 1);

  const std::size_t exponentMark = core.find_first_of("Ee");
  std::string_view mantissa = core.substr(0, exponentMark);
  if (!mantissa.empty() && (mantissa[0] == '+' || mantissa[0] == '-')) {
    form.number.negative = mantissa[0] == '-';
    mantissa.remove_prefix(1);
  }
  if (mantissa.empty()) return form;
  const std::size_t point = mantissa.find(separator);
  const std::string_view integerDigits = mantissa.substr(0, point);
  const std::string_view fractionDigits = point == std::string_view::npos
                                              ? std::string_view()
                                              : mantissa.substr(point + 1);
  if (!AllDigits(integerDigits) || !AllDigits(fractionDigits)) return form;
  form.number.digits = std::string(integerDigits) + std::string(fractionDigits);
  form.number.fractionDigits = static_cast<std::int64_t>(fractionDigits.size());

  if (exponentMark != std::string_view::npos) {
    std::string_view exponent = core.substr(exponentMark + 1);
    bool negativeExponent = false;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
      negativeExponent = exponent[0] == '-';
      exponent.remove_prefix(1);
    }
    if (!AllDigits(exponent)) return form;
    for (std::size_t i = 0; i < exponent.size(); ++i) {
      if (i > 0 && form.number.exponent >= 500) return form;
      AddExponentDigit(form.number, exponent[i]);
    }
    if (negativeExponent) form.number.exponent = -form.number.exponent;
  }
  form.wellFormed = true;
  return form;
}

// The float control must be in force again: an overflow raises.
void CheckFloatControlRestored(std::string_view input) {
  if (OverflowNoted()) Violated("no overflow stays noted", input);
  try {
    MultiplyExtended(LargestExtended(), LargestExtended());
  } catch (const Failure& failure) {
    if (std::strcmp(failure.kindName, "EOverflow") == 0) return;
  }
  Violated("the float control is in force after ParseArgument", input);
}

std::string ExpectedMessage(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::string message = "'" + std::string(text) +
                        "' n'est pas une valeur en virgule flottante correcte";
  return message.substr(0, kFailureMessageCapacity - 1);
}

// ParseReading always reads "."; with "," as the separator the two bytes
// swap roles, so swapping them in the text keeps both readers' grammars.
std::string AsReadingText(std::string_view text, char separator) {
  std::string swapped(text);
  if (separator == ',') {
    for (char& c : swapped) {
      if (c == ',') {
        c = '.';
      } else if (c == '.') {
        c = ',';
      }
    }
  }
  return swapped;
}

void CheckAgainstParseReading(std::string_view text, char separator,
                              double argumentValue) {
  ParsedReading reading;
  double readingValue;
  try {
    reading = ParseReading(AsReadingText(text, separator));
    if (reading.errorPosition != 0) return;
    readingValue = RoundToDouble(reading.value);
  } catch (const Failure& failure) {
    Violated("ParseReading takes a text that ParseArgument took", text,
             failure.kindName);
  }
  if (std::memcmp(&readingValue, &argumentValue, sizeof(double)) != 0) {
    Violated("ParseArgument and ParseReading agree", text,
             "ParseArgument " + DescribeDouble(argumentValue) +
                 ", ParseReading " + DescribeDouble(readingValue));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  PutFloatControlInForce();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const char separator = (data[0] & 1) ? ',' : '.';
  const std::string_view text(reinterpret_cast<const char*>(data) + 1,
                              size - 1);
  SetDecimalSeparator(separator);
  const ArgumentForm form = ReadForm(text, separator);
  const Magnitude magnitude = MagnitudeOf(form.number);
  // Overflow of double-extended (about 1.19e4932) while the digits are
  // gathered or while they are scaled; the margins cover the roundings.
  const bool mayOverflowExtended =
      !magnitude.zero &&
      (magnitude.significantDigits >= 4932 || magnitude.order >= 4931);
  const bool mustOverflowExtended =
      !magnitude.zero &&
      (magnitude.significantDigits >= 4934 || magnitude.order >= 4933);

  double value = 0;
  try {
    value = ParseArgument(text);
  } catch (const Failure& failure) {
    CheckFloatControlRestored(text);
    const std::string kind = failure.kindName;
    if (kind == "EConvertError") {
      if (form.wellFormed && !mayOverflowExtended) {
        Violated("a text of the grammar is accepted", text);
      }
      if (failure.message != ExpectedMessage(text)) {
        Violated("the message quotes the text", text, failure.message);
      }
    } else if (kind == "EOverflow") {
      if (!form.wellFormed || magnitude.zero || magnitude.order < 307 ||
          mustOverflowExtended) {
        Violated("EOverflow only beyond the double range", text);
      }
    } else {
      Violated("only EConvertError or EOverflow", text, kind);
    }
    return 0;
  }
  CheckFloatControlRestored(text);

  if (!form.wellFormed) Violated("an accepted text is of the grammar", text);
  if (mustOverflowExtended) {
    Violated("a value beyond double-extended is rejected", text);
  }
  if (!magnitude.zero && magnitude.order >= 309) {
    Violated("a value beyond the double range raises EOverflow", text);
  }
  if (std::signbit(value) != form.number.negative) {
    Violated("the value has the text's sign", text, DescribeDouble(value));
  }
  if (magnitude.zero || magnitude.order <= -325) {
    if (value != 0) Violated("a zero text gives zero", text);
  } else if (magnitude.significantDigits <= 40 && magnitude.order >= -300 &&
             magnitude.order <= 300) {
    const double nearest = NearestDouble(form.number);
    if (!WithinOneUnit(value, nearest)) {
      Violated("the value lies within one unit of the exact value", text,
               "got " + DescribeDouble(value) + ", nearest " +
                   DescribeDouble(nearest));
    }
  }
  CheckAgainstParseReading(text, separator, value);
  return 0;
}
