#include "platform/command_line_scanner.h"

namespace {

constexpr char kQuote = '"';

bool IsSeparator(unsigned char byte) { return byte >= 0x01 && byte <= 0x20; }

}  // namespace

std::size_t ScanArgument(std::string_view commandLine, std::size_t position,
                         ScannedArgument& argument) {
  // The command line ends at its first zero byte.
  const std::size_t end = commandLine.find('\0') == std::string_view::npos
                              ? commandLine.size()
                              : commandLine.find('\0');
  auto byteAt = [&](std::size_t i) -> unsigned char {
    return i < end ? static_cast<unsigned char>(commandLine[i]) : 0;
  };

  // Separators are skipped, and so is an empty pair of quotes where an
  // argument would begin: it yields no argument.
  for (;;) {
    while (IsSeparator(byteAt(position))) ++position;
    if (byteAt(position) == kQuote && byteAt(position + 1) == kQuote) {
      position += 2;
      continue;
    }
    break;
  }

  argument.length = 0;
  while (byteAt(position) > 0x20) {
    if (argument.length == kMaxArgumentBytes) break;
    if (byteAt(position) == kQuote) {
      ++position;
      // A quoted stretch takes every byte up to the closing quote or the end
      // of the line. Its bytes beyond the capacity are dropped rather than
      // stored: storage is never overrun.
      while (position < end && byteAt(position) != kQuote) {
        if (argument.length < kMaxArgumentBytes) {
          argument.bytes[argument.length++] = commandLine[position];
        }
        ++position;
      }
      if (position < end) ++position;  // the closing quote
      continue;
    }
    argument.bytes[argument.length++] = commandLine[position++];
  }
  return position;
}
