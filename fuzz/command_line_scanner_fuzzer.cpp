// The command-line scanner over arbitrary command lines: every argument it
// yields from the start of the line until the first empty one.
//
// Properties:
// - no argument holds a double-quote byte or more than 4096 bytes;
// - every scan of a non-empty argument moves forward, never past the end;
// - an empty argument comes only at the end: scanning on from it yields
//   nothing more;
// - without quotes, the arguments are the runs of bytes above 0x20, cut
//   every 4096 bytes;
// - with quotes, the arguments together hold exactly the line's bytes less
//   its quotes and the separators outside quoted stretches (as long as no
//   quoted stretch had to be cut at the limit).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.h"
#include "platform/command_line_scanner.h"

namespace {

bool IsSeparator(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

// Runs of bytes above 0x20, each cut into pieces of at most 4096 bytes.
std::vector<std::string> SplitWithoutQuotes(std::string_view line) {
  std::vector<std::string> pieces;
  std::string run;
  auto flush = [&] {
    for (std::size_t i = 0; i < run.size(); i += kMaxArgumentBytes) {
      pieces.push_back(run.substr(i, kMaxArgumentBytes));
    }
    run.clear();
  };
  for (const char c : line) {
    if (IsSeparator(c)) {
      flush();
    } else {
      run.push_back(c);
    }
  }
  flush();
  return pieces;
}

// The line's bytes less its quotes and the separators outside quoted
// stretches; each quote opens or closes a stretch.
std::string KeptBytes(std::string_view line) {
  std::string kept;
  bool quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted || !IsSeparator(c)) {
      kept.push_back(c);
    }
  }
  return kept;
}

ScannedArgument scanned;  // 4 KiB: not on the stack

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view line = input.substr(0, input.find('\0'));

  std::vector<std::string> arguments;
  std::size_t position = 0;
  for (;;) {
    const std::size_t next = ScanArgument(input, position, scanned);
    if (scanned.length > kMaxArgumentBytes) {
      Violated("no argument over 4096 bytes", input);
    }
    const std::string_view argument(scanned.bytes, scanned.length);
    if (argument.find('"') != std::string_view::npos) {
      Violated("no quote byte in an argument", input);
    }
    if (argument.empty()) {
      const std::size_t after = ScanArgument(input, next, scanned);
      if (scanned.length != 0 || after < next) {
        Violated("an empty argument only at the end", input,
                 "empty at " + std::to_string(next));
      }
      break;
    }
    if (next <= position || next > line.size()) {
      Violated("each argument moves forward within the line", input,
               std::to_string(position) + " -> " + std::to_string(next));
    }
    arguments.emplace_back(argument);
    position = next;
  }

  if (line.find('"') == std::string_view::npos) {
    if (arguments != SplitWithoutQuotes(line)) {
      Violated("without quotes: runs above 0x20, cut every 4096 bytes", input);
    }
    return 0;
  }
  std::string joined;
  bool cutAtLimit = false;
  for (const std::string& argument : arguments) {
    joined += argument;
    cutAtLimit = cutAtLimit || argument.size() == kMaxArgumentBytes;
  }
  if (!cutAtLimit && joined != KeptBytes(line)) {
    Violated("with quotes: every byte but quotes and outer separators", input);
  }
  return 0;
}
