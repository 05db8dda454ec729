#pragma once
// The command line of the simulated meter.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

inline constexpr int kChannelCount = 3;  // 0 pH, 1 mV, 2 temperature

struct SimOptions {
  std::string linkPath;  // empty: no symlink
  std::string logPath;   // empty: no log
  std::array<double, kChannelCount> readings = {7.0, 0.0, 25.0};
  int driftSteps = 0;    // 0: the readings hold still
  bool countUp = false;  // each answer one step of its last digit higher
  std::optional<std::uint32_t> seed;
  std::uint32_t delayMs = 0;
  bool silent = false;
  bool noLineEnd = false;
  std::string trailing;  // bytes sent after the CR
  std::optional<std::size_t> lineLength;
  std::array<std::optional<std::string>, kChannelCount> rawReplies;
  bool echo = false;
  std::uint32_t byteTimeUs = 0;  // 0: each answer in one write
  std::optional<std::size_t> hangUpAfter;
  bool stream = false;
  bool help = false;
};

// The --help text, listing every option.
const char* SimHelpText();

// Reads the arguments after the program name. Returns false with a message
// in `error` for an unknown option or a malformed value.
bool ParseSimOptions(int argumentCount, char** arguments, SimOptions& options,
                     std::string& error);
