#include "platform/locale_numbers.h"

#include <langinfo.h>
#include <locale.h>

#include <clocale>
#include <cstring>

bool LocaleDecimalSeparator(char* buffer, std::size_t capacity) {
  // The user's numeric locale (LC_ALL, then LC_NUMERIC, then LANG) is looked at
  // without making it the process's locale: nothing else in the program may
  // depend on it.
  locale_t userLocale =
      newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (userLocale == static_cast<locale_t>(0)) return false;
  const char* separator = nl_langinfo_l(RADIXCHAR, userLocale);
  bool fits = false;
  if (separator != nullptr && separator[0] != '\0' &&
      std::strlen(separator) < capacity) {
    std::strcpy(buffer, separator);
    fits = true;
  }
  freelocale(userLocale);
  return fits;
}
