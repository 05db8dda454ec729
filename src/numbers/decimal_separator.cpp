#include "numbers/decimal_separator.h"

#include "platform/locale_numbers.h"

namespace {

// One byte and its terminator: a longer separator does not fit.
constexpr int kSeparatorBufferSize = 2;

char decimalSeparator = '.';

}  // namespace

void ReadDecimalSeparator() {
  char buffer[kSeparatorBufferSize] = {};
  const bool fits = LocaleDecimalSeparator(buffer, sizeof buffer);
  decimalSeparator = fits && buffer[0] != '\0' ? buffer[0] : '.';
}

char DecimalSeparator() { return decimalSeparator; }

void SetDecimalSeparator(char separator) { decimalSeparator = separator; }
