// The trace through the real executable and the simulated meter: with
// PHM210_TRACE=1 the run tells on standard error what it did and why the
// reading came out as it did; without it standard error stays empty; either
// way standard output and the exit status are the same.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "forked_run.h"
#include "run_program.h"
#include "simulated_meter.h"

namespace {

// Where a case has no meter: a path that cannot be opened.
const std::string kNoDevice = "/nonexistent/phm210-trace-port";
// Stands in the expected trace texts for the case's device path.
const std::string kDevice = "$DEVICE";

struct TraceCase {
  const char* name;
  std::optional<std::vector<std::string>> simulator;  // none: kNoDevice
  std::vector<std::string> arguments;
  std::optional<std::string> output;  // exact bytes; none: not known here
  int exitStatus;
  std::vector<std::string> traced;  // in this order, each within one line
  std::vector<std::string> absent;  // in no line
};

const std::string kOpened = "open $DEVICE: done";
const std::string kPtyLatency = "low latency: not offered by this device";
const std::string kLine =
    "the line now runs at 9600 baud, 8 data bits, parity none, 1 stop bit";

const TraceCase kCases[] = {
    {"PhReading",
     std::vector<std::string>{"--ph", "7.01"},
     {"ead", "0"},
     "7.00999999999999979\r\n",
     0,
     {"reading channel 0 (pH)", R"(port "com2:" is $DEVICE (from COM2_DEVICE))",
      kOpened, kPtyLatency, kLine, R"(sent 7 bytes "?RD pH\r")",
      R"(reply line "pH:  7.01")", "port closed",
      R"(cut " 7.01", positions 5 to 9 of the reply (5 bytes from 2 before the first "." at position 7))",
      "ParseReading took the whole text", "the reading is 7.0099999999999998"},
     {"not available"}},
    {"TemperatureAsInteger",
     std::vector<std::string>{"--temp", "25"},
     {"ea", "2"},
     "250\r\n",
     0,
     {R"(sent 6 bytes "?RD t\r")", R"(reply line "t:  25C")",
      R"(cut "25", positions 5 to 6 of the reply)",
      "ParseReading took the whole text", "the reading is 25"},
     {}},
    {"UnitAfterTheNumber",
     std::vector<std::string>{"--raw-ph", "12.34 pH"},
     {"ead", "0"},
     "-777\r\n",
     0,
     {R"(reply line "12.34 pH")",
      R"(cut "12.34 pH", positions 1 to 8 of the reply (the first "." stands at position 3, before position 5: the whole reply))",
      R"(ParseReading stopped at position 6, at " ", which does not belong to a number)",
      "the reading is not available (-777)"},
     {}},
    {"CommaAsSeparator",
     std::vector<std::string>{"--raw-mv", "mV: -1,2"},
     {"ead", "1"},
     "-777\r\n",
     0,
     {R"(cut "-1,2", positions 5 to 8 of the reply)",
      R"(ParseReading stopped at position 3, at ",")"},
     {}},
    {"EchoedQuery",
     std::vector<std::string>{"--echo", "--ph", "7.01"},
     {"ea", "0"},
     "-77700\r\n",
     0,
     {R"(reply line "?RD pH")", R"(no "." in the reply: the whole reply)",
      R"(ParseReading stopped at position 1, at "?")"},
     {}},
    {"GarbledReply",
     std::vector<std::string>{"--raw-ph", "\\xF8\\x80\\x00x"},
     {"ead", "0"},
     "-777\r\n",
     0,
     {R"(received 5 bytes "\xF8\x80\x00x\r")", R"(reply line "\xF8\x80\x00x")"},
     {}},
    {"SilentMeter",
     std::vector<std::string>{"--silent"},
     {"ea", "0"},
     "-77700\r\n",
     0,
     {R"(sent 7 bytes "?RD pH\r")",
      "no byte came within the time limit of 1000 ms: the reply is empty",
      "cut the empty text",
      "ParseReading stopped at position 1: the text is empty",
      "the reading is not available (-777)"},
     {"received"}},
    {"NoLineEnd",
     std::vector<std::string>{"--no-cr", "--mv", "-123"},
     {"ea", "1"},
     "-777\r\n",
     0,
     {R"(received 8 bytes "mV: -123")",
      "no CR came within the time limit of 1000 ms (8 bytes came): the reply "
      "is empty"},
     {"reply line"}},
    {"NoDevice",
     std::nullopt,
     {"ead", "0"},
     "-777\r\n",
     0,
     {R"(port "com2:" is $DEVICE (from COM2_DEVICE))",
      "open $DEVICE: failed: No such file or directory (errno 2)",
      "no such device: the adapter is not plugged in",
      "not applied, the port is not open",
      R"(nothing sent, the port is not open: "?RD pH\r")",
      "no byte came within the time limit of 1000 ms",
      "the reading is not available (-777)"},
     {"low latency", "port closed"}},
    {"ChannelNotServed",
     std::vector<std::string>{},
     {"ead", "3"},
     "-777\r\n",
     0,
     {"channel 3 is not served", kOpened,
      "no byte came within the time limit of 1000 ms", "port closed",
      "the reading is not available (-777)"},
     {"?RD"}},
    {"ReadingBeyondTheDoubleRange",
     std::vector<std::string>{"--raw-ph", "1e400"},
     {"ead", "0"},
     std::nullopt,  // the failure report, with a code address
     1,
     {R"(cut "1e400", positions 1 to 5 of the reply (no "." in the reply: the whole reply))",
      "ParseReading took the whole text"},
     {"the reading is"}},
    {"CommandWithoutTheMeter",
     std::vector<std::string>{},
     {"titre"},
     "PHM210 en Com2:\r\n",
     0,
     {},
     {"port"}},
};

void PrintTo(const TraceCase& c, std::ostream* os) { *os << c.name; }

std::string Replaced(std::string text, const std::string& device) {
  for (std::size_t at; (at = text.find(kDevice)) != std::string::npos;) {
    text.replace(at, kDevice.size(), device);
  }
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

RunResult RunWithTrace(const std::string& device,
                       const std::vector<std::string>& arguments,
                       const std::string& traceValue) {
  RunOptions options;
  options.arguments = arguments;
  options.environment = {{"COM2_DEVICE", device},
                         {"LC_ALL", "C"},
                         {"PHM210_TRACE", traceValue}};  // "": removed
  options.stdoutKind = StdoutKind::File;
  return RunProgram(ProgramUnderTest(), options);
}

class Trace : public testing::TestWithParam<TraceCase> {};

TEST_P(Trace, TellsWhyWithTheVariableAndNothingWithout) {
  const TraceCase& c = GetParam();
  std::unique_ptr<SimulatedMeter> meter;
  if (c.simulator) meter = std::make_unique<SimulatedMeter>(*c.simulator);
  const std::string device = meter ? meter->DevicePath() : kNoDevice;

  const RunResult quiet = RunWithTrace(device, c.arguments, "");
  const RunResult traced = RunWithTrace(device, c.arguments, "1");

  EXPECT_EQ(quiet.stderrOutput, "");
  EXPECT_EQ(quiet.exitStatus, c.exitStatus);
  EXPECT_EQ(traced.exitStatus, c.exitStatus);
  if (c.output) {
    EXPECT_EQ(quiet.output, *c.output);
  }
  // The report's code address is the same in every run of one build, so the
  // whole output compares.
  EXPECT_EQ(traced.output, quiet.output);

  const std::vector<std::string> lines = Lines(traced.stderrOutput);
  if (c.traced.empty()) {
    EXPECT_EQ(traced.stderrOutput, "");
  }
  ASSERT_TRUE(traced.stderrOutput.empty() ||
              traced.stderrOutput.back() == '\n');
  const std::regex prefix("phm210 +[0-9]+\\.[0-9]{3} ms  .+");
  for (const std::string& line : lines) {
    EXPECT_TRUE(std::regex_match(line, prefix)) << line;
  }
  std::size_t next = 0;
  for (const std::string& wanted : c.traced) {
    const std::string text = Replaced(wanted, device);
    while (next < lines.size() && lines[next].find(text) == std::string::npos) {
      ++next;
    }
    EXPECT_LT(next, lines.size())
        << "not in the trace, or not in this order: " << text << "\n"
        << traced.stderrOutput;
    if (next == lines.size()) break;
    ++next;
  }
  for (const std::string& unwanted : c.absent) {
    EXPECT_EQ(traced.stderrOutput.find(unwanted), std::string::npos)
        << unwanted << "\n"
        << traced.stderrOutput;
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, Trace, testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// Only "1"-like values ask for the trace: "0" is the way to say no without
// removing the variable.
TEST(TraceVariable, ZeroMeansNoTrace) {
  SimulatedMeter meter({"--ph", "7.01"});
  const RunResult run = RunWithTrace(meter.DevicePath(), {"ead", "0"}, "0");
  EXPECT_EQ(run.output, "7.00999999999999979\r\n");
  EXPECT_EQ(run.stderrOutput, "");
}

// A standard error that is closed, or a pipe whose reader is gone, must not
// end the run with a signal or change its result: the trace is dropped.
TEST(TraceVariable, StandardErrorThatCannotBeWrittenChangesNothing) {
  SimulatedMeter meter({"--ph", "7.01"});
  const std::vector<std::string> environment = {
      "COM2_DEVICE=" + meter.DevicePath(), "LC_ALL=C", "PHM210_TRACE=1"};
  for (const ErrorStream errors :
       {ErrorStream::Closed, ErrorStream::BrokenPipe}) {
    const ForkedRun run = RunForked(ProgramUnderTest(), {"ead", "0"},
                                    environment, errors, nullptr);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, "7.00999999999999979\r\n");
  }
}

}  // namespace
