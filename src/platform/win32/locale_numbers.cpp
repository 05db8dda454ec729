#include "platform/locale_numbers.h"

#include <windows.h>

#include <algorithm>
#include <climits>

bool LocaleDecimalSeparator(char* buffer, std::size_t capacity) {
  // A separator longer than the buffer makes the call fail: the caller then
  // keeps its own default.
  const int size = static_cast<int>(std::min<std::size_t>(capacity, INT_MAX));
  return GetLocaleInfoA(GetThreadLocale(), LOCALE_SDECIMAL, buffer, size) > 0;
}
