#pragma once
// Reading a number from the command line, with the locale's decimal
// separator.

#include <string_view>

// Accepts blanks (0x20) around an optional sign, digits with an optional
// DecimalSeparator and fraction digits, and an optional exponent after "E" or
// "e". The text ends at its first zero byte. EConvertError with the text when
// it has another form or its value overflows double-extended; EOverflow when
// the value fits double-extended but not double.
double ParseArgument(std::string_view text);
