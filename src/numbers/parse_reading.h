#pragma once
// Reading the number cut out of a pH meter reply: always "." as the
// separator, whatever the locale.

#include <cstdint>
#include <string_view>

#include "numbers/extended.h"

struct ParsedReading {
  Extended value;
  // 0 when the whole text was taken; otherwise the 1-based position of the
  // first byte not taken (length + 1 when the text ended too early). With a
  // nonzero position the value is only the digits taken, unsigned and
  // unscaled.
  std::int32_t errorPosition;
};

// Takes blanks (0x20), an optional sign, digits with an optional "." and
// fraction digits, and an optional exponent of at least one digit after "E"
// or "e"; the text ends at its first zero byte. Never fails on the form of
// the text; EOverflow when the value overflows double-extended.
ParsedReading ParseReading(std::string_view text);
