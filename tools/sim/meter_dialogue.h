#pragma once
// What the simulated meter answers: the queries it knows, its reply lines
// and the drift of its readings.

#include <array>
#include <random>
#include <string>
#include <string_view>

#include "sim_options.h"

struct MeterState {
  // How far each reading has drifted, in steps of its last digit.
  std::array<int, kChannelCount> driftSteps = {0, 0, 0};
  // How many answers each channel has given.
  std::array<int, kChannelCount> answersGiven = {0, 0, 0};
  std::mt19937 random;
};

// The channel that a received line (without its CR) asks for, or -1.
int QueriedChannel(std::string_view line);

// The reading line of a channel without its CR: "pH:  7.01", "mV: -123",
// "t:  25C".
std::string ReadingLine(int channel, double reading);

// The text that answers a query of `channel` (without echo, CR or trailing
// bytes): the raw reply, the line of given length or the reading line. Moves
// the channel's reading when it drifts.
std::string AnswerText(const SimOptions& options, MeterState& state,
                       int channel);

// Everything sent for one query line: the echo, the answer text, its CR and
// the trailing bytes, as the options say.
std::string AnswerBytes(const SimOptions& options, std::string_view query,
                        std::string_view answerText);
