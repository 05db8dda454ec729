#pragma once
// Splits a single command-line text into arguments, the way a Windows console
// program receives them: blanks and control bytes separate, double quotes
// group, there is no escape character, and an argument holds at most
// kMaxArgumentBytes bytes. Pure: no state, no operating-system call, so the
// same rules can be tested on every platform.

#include <cstddef>
#include <string_view>

inline constexpr std::size_t kMaxArgumentBytes = 4096;

struct ScannedArgument {
  char bytes[kMaxArgumentBytes];
  std::size_t length;
};

// Scans the argument that starts at or after `position` in `commandLine` (which
// ends at its first zero byte or its last byte). Stores it in `argument` and
// returns the position just after it. An empty argument means the end of the
// command line was reached.
std::size_t ScanArgument(std::string_view commandLine, std::size_t position,
                         ScannedArgument& argument);
