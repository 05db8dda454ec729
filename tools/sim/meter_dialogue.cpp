#include "meter_dialogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The size of one step of a reading's last displayed digit.
constexpr std::array<double, kChannelCount> kStepSize = {0.01, 1.0, 1.0};

// A drifting reading wanders at most this many times its drift steps from the
// value it was set to, as a probe stays near the truth.
constexpr int kDriftReach = 10;

}  // namespace

int QueriedChannel(std::string_view line) {
  if (line == "?RD pH") return 0;
  if (line == "?RD mV") return 1;
  if (line == "?RD t") return 2;
  return -1;
}

std::string ReadingLine(int channel, double reading) {
  char text[64];
  switch (channel) {
    case 0:
      std::snprintf(text, sizeof text, "pH: %5.2f", reading);
      break;
    case 1:
      std::snprintf(text, sizeof text, "mV: %4ld", std::lround(reading));
      break;
    default:
      std::snprintf(text, sizeof text, "t:  %2ldC", std::lround(reading));
      break;
  }
  return text;
}

std::string AnswerText(const SimOptions& options, MeterState& state,
                       int channel) {
  const auto index = static_cast<std::size_t>(channel);
  if (options.lineLength) {
    std::string line;
    for (std::size_t i = 0; i < *options.lineLength; ++i) {
      line.push_back(static_cast<char>('a' + i % 26));
    }
    return line;
  }
  if (options.rawReplies[index]) return *options.rawReplies[index];
  if (options.driftSteps > 0) {
    std::uniform_int_distribution<int> move(-options.driftSteps,
                                            options.driftSteps);
    const int reach = kDriftReach * options.driftSteps;
    state.driftSteps[index] =
        std::clamp(state.driftSteps[index] + move(state.random), -reach, reach);
  }
  int steps = state.driftSteps[index];
  if (options.countUp) steps += ++state.answersGiven[index];
  return ReadingLine(channel,
                     options.readings[index] + steps * kStepSize[index]);
}

std::string AnswerBytes(const SimOptions& options, std::string_view query,
                        std::string_view answerText) {
  std::string bytes;
  if (options.echo) {
    bytes.append(query);
    bytes.push_back('\r');
  }
  bytes.append(answerText);
  if (!options.noLineEnd) bytes.push_back('\r');
  bytes.append(options.trailing);
  return bytes;
}
