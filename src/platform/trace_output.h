#pragma once
// Seam: the opt-in trace on standard error, asked for with PHM210_TRACE set
// to a value other than empty or "0" in the environment. The variable is read
// once, at the first call of either function; without it nothing is ever
// written to standard error.
//
// Each trace line starts with "phm210", the milliseconds since the trace
// began (three decimals) and two blanks, and is handed over whole in one
// write, so that a line survives the run ending right after it.

#include <string>
#include <string_view>

// Whether this run was asked to trace.
bool TraceEnabled();

// Writes one trace line (the prefix before and a line end after it) when
// tracing; else nothing. A line that cannot be written is dropped: the trace
// never changes what the run does.
[[gnu::format(printf, 1, 2)]] void TraceLine(const char* format, ...);

// Bytes as they read in a trace line, between double quotes: printable ASCII
// as it is, \" and \\ for a quote and a backslash, \r \n \t, and \xHH for
// every other byte. Blanks stay visible by the quotes.
inline std::string TraceQuoted(std::string_view bytes) {
  constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string text = "\"";
  for (const char byte : bytes) {
    const auto code = static_cast<unsigned char>(byte);
    switch (byte) {
      case '\r':
        text += "\\r";
        break;
      case '\n':
        text += "\\n";
        break;
      case '\t':
        text += "\\t";
        break;
      case '"':
        text += "\\\"";
        break;
      case '\\':
        text += "\\\\";
        break;
      default:
        if (code >= 0x20 && code < 0x7F) {
          text += byte;
        } else {
          text += "\\x";
          text += kHexDigits[code >> 4];
          text += kHexDigits[code & 0xF];
        }
    }
  }
  text += '"';
  return text;
}
