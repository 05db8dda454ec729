// The simulated meter, driven through the serial link as the program drives
// it.

#include "simulated_meter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "byte_escapes.h"
#include "run_program.h"
#include "ucommw32/ucommw32.h"

namespace {

using std::chrono::milliseconds;

std::string Exchange(const SimulatedMeter& meter, std::string_view query,
                     std::uint16_t timeoutMs) {
  AssignCountedText(PortName, meter.DevicePath());
  AssignCountedText(PortSettings,
                    std::string("baud=9600 parity=n data=8 stop=1 \0", 34));
  TimeoutMs = timeoutMs;
  CountedText text;
  AssignCountedText(text, query);
  OpenPort();
  SendText(text);
  CountedText line;
  ReceiveLine(line);
  ClosePort();
  return std::string(View(line));
}

std::string Letters(std::size_t count) {
  std::string line;
  for (std::size_t i = 0; i < count; ++i) {
    line.push_back(static_cast<char>('a' + i % 26));
  }
  return line;
}

struct DialogueCase {
  std::vector<std::string> options;
  std::string query;
  std::string expected;  // "" for no line within the time limit
};

const DialogueCase kDialogue[] = {
    {{}, "?RD pH\r", "pH:  7.00"},
    {{}, "?RD mV\r", "mV:    0"},
    {{}, "?RD t\r", "t:  25C"},
    {{"--ph", "7.01", "--mv", "-123", "--temp", "25"}, "?RD pH\r", "pH:  7.01"},
    {{"--ph", "12.34"}, "?RD pH\r", "pH: 12.34"},
    {{"--mv", "-123"}, "?RD mV\r", "mV: -123"},
    {{"--mv", "1999.6"}, "?RD mV\r", "mV: 2000"},
    {{"--temp", "4.4"}, "?RD t\r", "t:   4C"},
    {{}, "?RD x\r", ""},
    {{}, "?RD pH", ""},  // no CR: not a query yet
    {{"--raw-ph", "1e400"}, "?RD pH\r", "1e400"},
    {{"--raw-ph", "12.34 pH"}, "?RD pH\r", "12.34 pH"},
    {{"--raw-ph", "12.34 pH"}, "?RD mV\r", "mV:    0"},
    {{"--raw-mv", "hex:41 42"}, "?RD mV\r", "AB"},
    {{"--raw-t", "\\x01\\\\"}, "?RD t\r", "\x01\\"},
    {{"--raw-ph", "ab\\rcd"}, "?RD pH\r", "ab"},
    {{"--echo"}, "?RD pH\r", "?RD pH"},
    {{"--no-cr"}, "?RD pH\r", ""},
    {{"--silent"}, "?RD pH\r", ""},
    {{"--trailing", "xyz\\r"}, "?RD pH\r", "pH:  7.00"},
    {{"--line-length", "254"}, "?RD pH\r", Letters(254)},
    {{"--line-length", "255"}, "?RD pH\r", ""},
    {{"--line-length", "0"}, "?RD pH\r", ""},  // a CR alone
    {{"--pace"}, "?RD t\r", "t:  25C"},
    {{"--byte-time", "3000"}, "?RD t\r", "t:  25C"},
    {{"--stream"}, "?RD pH\r", ""},
    {{"--hang-up-after", "4"}, "?RD pH\r", ""},
};

TEST(SimulatedMeter, AnswersAsItIsTold) {
  for (const DialogueCase& c : kDialogue) {
    std::string options;
    for (const auto& option : c.options) options += option + " ";
    SCOPED_TRACE(options + "query " + EscapeBytes(c.query));
    SimulatedMeter meter(c.options);
    // A line that is expected comes long before a generous limit; one that
    // is not costs a short one.
    EXPECT_EQ(Exchange(meter, c.query, c.expected.empty() ? 300 : 20000),
              c.expected);
    meter.Stop();
    EXPECT_EQ(meter.Log(), EscapeBytes(c.query) + "\n");
  }
}

TEST(SimulatedMeter, AnswersLateWhenDelayed) {
  SimulatedMeter meter({"--delay", "400"});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Exchange(meter, "?RD pH\r", 20000), "pH:  7.00");
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(400));
  EXPECT_EQ(Exchange(meter, "?RD pH\r", 200), "");
}

TEST(SimulatedMeter, TrailingBytesDoNotReachTheNextRun) {
  SimulatedMeter meter({"--trailing", "9.99\\r"});
  EXPECT_EQ(Exchange(meter, "?RD pH\r", 20000), "pH:  7.00");
  EXPECT_EQ(Exchange(meter, "?RD t\r", 20000), "t:  25C");
  EXPECT_EQ(meter.Log(), "?RD pH\\r\n?RD t\\r\n");
}

TEST(SimulatedMeter, DriftingReadingsStayNearTheSetValue) {
  SimulatedMeter meter({"--ph", "7.00", "--drift", "2", "--seed", "1"});
  std::set<std::string> seen;
  for (int query = 0; query < 20; ++query) {
    const std::string line = Exchange(meter, "?RD pH\r", 20000);
    ASSERT_EQ(line.substr(0, 4), "pH: ");
    const double reading = std::stod(line.substr(4));
    EXPECT_GE(reading, 6.795);
    EXPECT_LE(reading, 7.205);
    seen.insert(line);
  }
  EXPECT_GT(seen.size(), 1u) << "the reading never moved";
}

TEST(SimulatedMeter, KilledMidReplyLeavesTheEmptyLine) {
  SimulatedMeter meter({"--pace", "--line-length", "200"});
  AssignCountedText(PortName, meter.DevicePath());
  TimeoutMs = 500;
  CountedText query;
  AssignCountedText(query, "?RD pH\r");
  OpenPort();
  SendText(query);
  std::thread pull([&meter] {
    std::this_thread::sleep_for(milliseconds(50));
    meter.Kill();
  });
  const auto start = std::chrono::steady_clock::now();
  CountedText line;
  ReceiveLine(line);
  EXPECT_EQ(View(line), "");
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(500));
  pull.join();
  ClosePort();
}

TEST(SimulatedMeter, LinkPointsToTheTerminalWhileItRuns) {
  const std::string link = "/tmp/phm210-sim-link-" + std::to_string(getpid());
  {
    SimulatedMeter meter({"--link", link});
    char target[4096] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), meter.DevicePath());
    setenv("COM2_DEVICE", link.c_str(), 1);
    AssignCountedText(PortName, "com2:");
    EXPECT_EQ(Exchange(meter, "?RD mV\r", 20000), "mV:    0");
    unsetenv("COM2_DEVICE");
  }
  EXPECT_NE(access(link.c_str(), F_OK), 0) << "link left behind";
}

TEST(SimulatedMeter, CommandLine) {
  RunOptions options;
  options.arguments = {"--help"};
  const RunResult help = RunProgram(BuiltProgram("phm210-sim"), options);
  EXPECT_EQ(help.exitStatus, 0);
  for (const char* option : {"--ph",
                             "--mv",
                             "--temp",
                             "--drift",
                             "--seed",
                             "--delay",
                             "--silent",
                             "--no-cr",
                             "--trailing",
                             "--line-length",
                             "--raw-ph",
                             "--raw-mv",
                             "--raw-t",
                             "--echo",
                             "--pace",
                             "--byte-time",
                             "--hang-up-after",
                             "--stream",
                             "--link",
                             "--log",
                             "--help"}) {
    EXPECT_NE(help.output.find(option), std::string::npos) << option;
  }
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"--bogus"},
        {"--ph"},
        {"--ph", "seven"},
        {"--delay", "-5"},
        {"--raw-ph", "\\q"},
        {"--trailing", "hex:4"}}) {
    options.arguments = wrong;
    const RunResult run = RunProgram(BuiltProgram("phm210-sim"), options);
    EXPECT_EQ(run.exitStatus, 2) << wrong[0];
    EXPECT_FALSE(run.stderrOutput.empty());
  }
}

struct EscapeCase {
  std::string text;
  bool valid;
  std::string bytes;
};

const EscapeCase kEscapes[] = {
    {"plain", true, "plain"},
    {"a\\rb\\n\\t\\\\", true, "a\rb\n\t\\"},
    {"\\0", true, std::string(1, '\0')},
    {"\\101\\x41\\x4a\\xE9", true, "AAJ\xE9"},
    {"\\x41g", true, "Ag"},
    {"\\e\\a", true, "\x1b\a"},
    {"hex:31 65 34 30 30", true, "1e400"},
    {"hex:0d0A", true, "\r\n"},
    {"hex:", true, ""},
    {"\\", false, ""},
    {"\\q", false, ""},
    {"\\xg", false, ""},
    {"\\777", false, ""},
    {"hex:4", false, ""},
    {"hex:zz", false, ""},
};

TEST(SimulatorBytes, DecodesEscapesAndHex) {
  for (const EscapeCase& c : kEscapes) {
    std::string bytes = "unchanged";
    EXPECT_EQ(DecodeBytes(c.text, bytes), c.valid) << c.text;
    EXPECT_EQ(bytes, c.valid ? c.bytes : "unchanged") << c.text;
  }
  EXPECT_EQ(EscapeBytes(std::string("?RD pH\r\n\t\\\0\xE9", 12)),
            "?RD pH\\r\\n\\t\\\\\\x00\\xE9");
}

}  // namespace
