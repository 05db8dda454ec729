#pragma once
// Seam: the user's locale, for the one setting the program honours.

#include <cstddef>

// Copies the locale's decimal separator, zero-terminated, into `buffer` of
// `capacity` bytes. Returns false, leaving the buffer unspecified, when the
// locale gives no separator or one that does not fit.
bool LocaleDecimalSeparator(char* buffer, std::size_t capacity);
