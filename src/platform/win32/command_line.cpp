#include "platform/command_line.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/command_line_scanner.h"

namespace {

// Scanned once, at the first request: Windows hands the process one text, and
// the arguments are what the scanner makes of it. Only the arguments before
// the first empty one exist; the scanner yields an empty one only at the end.
std::vector<std::string> arguments;
bool scanned = false;

void ScanCommandLine() {
  scanned = true;
  const char* commandLine = GetCommandLineA();
  if (commandLine == nullptr) return;
  const std::string_view text(commandLine);
  static ScannedArgument argument;  // 4 KiB: kept off the stack
  std::size_t position = 0;
  for (;;) {
    position = ScanArgument(text, position, argument);
    if (argument.length == 0) return;
    arguments.emplace_back(argument.bytes, argument.length);
  }
}

}  // namespace

void CaptureProcessArguments(int, char**) {}

std::string_view RawArgument(int index) {
  if (!scanned) ScanCommandLine();
  if (index < 0 || static_cast<std::size_t>(index) >= arguments.size()) {
    return {};
  }
  return arguments[static_cast<std::size_t>(index)];
}
