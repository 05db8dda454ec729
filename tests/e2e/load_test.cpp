// Many runs started at once against one meter: the port is taken by one run
// at a time, so each run prints the reading that was sent to it, none sees
// another's bytes, and together they take about as long as their exchanges
// one after another.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "run_program.h"
#include "simulated_meter.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRuns = 20;

RunResult RunAgainst(const SimulatedMeter& meter,
                     const std::vector<std::string>& arguments) {
  RunOptions options;
  options.arguments = arguments;
  options.environment = {{"COM2_DEVICE", meter.DevicePath()}, {"LC_ALL", "C"}};
  options.stdoutKind = StdoutKind::File;
  return RunProgram(ProgramUnderTest(), options);
}

// Starts every run at the same moment, each on its own thread.
std::vector<RunResult> RunAllAtOnce(
    const SimulatedMeter& meter,
    const std::vector<std::vector<std::string>>& argumentLists,
    std::chrono::milliseconds& elapsed) {
  std::vector<RunResult> results(argumentLists.size());
  std::vector<std::thread> threads;
  const auto started = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < argumentLists.size(); ++i) {
    threads.emplace_back(
        [&, i] { results[i] = RunAgainst(meter, argumentLists[i]); });
  }
  for (auto& thread : threads) thread.join();
  elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  return results;
}

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// What one run may take when the runs go one after another: opening,
// configuring and closing the port, the 7-byte query and the 10-byte reply
// (18 ms at 9600 baud on a real line; the simulated meter answers at once),
// with room for a loaded machine and the sanitizers. A run waits at most one
// second for a port that others hold, then gives -777: twenty runs fit in
// that second only while each holds the port for less than 50 ms.
constexpr auto kExchangeAllowance = 200ms;

struct Reading {
  std::vector<std::string> arguments;
  std::string line;
  std::string query;  // as the meter logs it
};

// Readings whose texts differ from one channel and one command to the next,
// so that a run that took another's bytes prints a wrong line.
const Reading kReadings[] = {
    {{"ea", "0"}, "701\r\n", "?RD pH\\r"},
    {{"ead", "1"}, "-123\r\n", "?RD mV\\r"},
    {{"ea", "2"}, "250\r\n", "?RD t\\r"},
    {{"ead", "0"}, "7.00999999999999979\r\n", "?RD pH\\r"},
    {{"stdeas", "0"}, "7.01000022888183594\r\n", "?RD pH\\r"},
    {{"ead", "2"}, "25\r\n", "?RD t\\r"},
    {{"ea", "1"}, "-123\r\n", "?RD mV\\r"},
};

TEST(Load, TwentyRunsAtOnceEachPrintTheirOwnReading) {
  SimulatedMeter meter({"--ph", "7.01", "--mv", "-123", "--temp", "25"});
  std::vector<std::vector<std::string>> argumentLists;
  std::vector<std::string> expectedQueries;
  for (int i = 0; i < kRuns; ++i) {
    const Reading& reading = kReadings[i % std::size(kReadings)];
    argumentLists.push_back(reading.arguments);
    expectedQueries.push_back(reading.query);
  }
  std::chrono::milliseconds elapsed{};
  const std::vector<RunResult> results =
      RunAllAtOnce(meter, argumentLists, elapsed);

  for (int i = 0; i < kRuns; ++i) {
    SCOPED_TRACE("run " + std::to_string(i));
    EXPECT_EQ(results[i].output, kReadings[i % std::size(kReadings)].line);
    EXPECT_EQ(results[i].exitStatus, 0);
  }
  EXPECT_LT(elapsed, kRuns * kExchangeAllowance);
  meter.Stop();
  // Every query arrived whole, none mixed with another.
  std::sort(expectedQueries.begin(), expectedQueries.end());
  EXPECT_EQ(SortedLines(meter.Log()), expectedQueries);
}

// Every answer carries a reading of its own (`--count-up`: the n-th answer is
// the set reading plus n units of its last digit), so 20 runs of 'ea 0'
// against a meter set to pH 7.00 must print exactly the 20 lines 701 to 720,
// each once: a run that read another's reply would print a duplicate.
TEST(Load, TwentyRunsAtOnceEachPrintADistinctReading) {
  SimulatedMeter meter({"--ph", "7.00", "--count-up"});
  const std::vector<std::vector<std::string>> argumentLists(
      kRuns, std::vector<std::string>{"ea", "0"});
  std::chrono::milliseconds elapsed{};
  const std::vector<RunResult> results =
      RunAllAtOnce(meter, argumentLists, elapsed);

  std::multiset<std::string> printed;
  for (const RunResult& result : results) {
    EXPECT_EQ(result.exitStatus, 0);
    printed.insert(result.output);
  }
  std::multiset<std::string> expected;
  for (int n = 1; n <= kRuns; ++n) {
    expected.insert(std::to_string(700 + n) + "\r\n");
  }
  EXPECT_EQ(printed, expected);
  EXPECT_LT(elapsed, kRuns * kExchangeAllowance);
}

}  // namespace
