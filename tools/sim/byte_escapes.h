#pragma once
// Bytes written as text on a command line and in logs.

#include <string>
#include <string_view>

// Reads `text` as bytes: "hex:" followed by pairs of hex digits (blanks
// between pairs allowed), or else text with C escapes (\r \n \t \0 \a \b \f
// \v \e \\ \" \' \xH[H] and octal \N[N[N]]). Returns false for a malformed
// text; `bytes` is then unchanged.
bool DecodeBytes(std::string_view text, std::string& bytes);

// Writes bytes readably: printable ASCII as it is, \\ for a backslash, \r \n
// \t, and \xHH for every other byte.
std::string EscapeBytes(std::string_view bytes);
