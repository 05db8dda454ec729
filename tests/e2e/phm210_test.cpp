// The whole program, through the real executable and the simulated meter:
// exact bytes on standard output and the exit status.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "run_program.h"
#include "simulated_meter.h"

namespace {

using namespace std::chrono_literals;

// Where no test has a meter: a path that cannot be opened. No test ever
// opens a real serial device.
const std::string kNoDevice = "/nonexistent/phm210-test-port";

// Set by the Wine launcher's set-up when the program under test is a Windows
// build run under Wine, which cannot show a few cases.
bool UnderWine() {
  const char* value = std::getenv("PHM210_UNDER_WINE");
  return value != nullptr && *value != '\0' && std::string(value) != "0";
}

RunResult Phm210(std::vector<std::string> arguments,
              const std::string& device = kNoDevice,
              std::vector<std::pair<std::string, std::string>> environment = {}) {
  RunOptions options;
  options.arguments = std::move(arguments);
  // The C locale unless the test names another one.
  options.environment = {{"COM2_DEVICE", device}, {"LC_ALL", "C"}};
  for (auto& [name, value] : environment) {
    std::erase_if(options.environment,
                  [&](const auto& entry) { return entry.first == name; });
    options.environment.emplace_back(std::move(name), std::move(value));
  }
  options.stdoutKind = StdoutKind::File;
  return RunProgram(ProgramUnderTest(), options);
}

const std::string kTitle = "PHM210 en Com2:";
const std::string kDescription =
    "Quarvel pour PHM210 en Com2:, Brastelle, 18-12-2005";
const std::string kOverflow = "D\xE9" "bordement en virgule flottante.";
const std::string kInvalidOp = "Op\xE9" "ration en virgule flottante incorrecte.";

std::string ConvertError(const std::string& text) {
  return "'" + text + "' n'est pas une valeur en virgule flottante correcte.";
}

// The report's first line holds a code address that only the build knows;
// everything else is compared byte for byte.
void ExpectReport(const RunResult& run, const std::string& kind,
                  const std::string& secondLine) {
  const std::string start =
      "Exception " + kind + " dans le module " + ProgramFileName() + " \xE0 ";
  EXPECT_EQ(run.exitStatus, 1);
  ASSERT_GE(run.output.size(), start.size() + 10) << run.output;
  EXPECT_EQ(run.output.substr(0, start.size()), start);
  EXPECT_EQ(run.output.find_first_not_of("0123456789ABCDEF", start.size()),
            start.size() + 8);
  EXPECT_EQ(run.output.substr(start.size() + 8), ".\n" + secondLine + "\r\n");
}

struct LineCase {
  std::vector<std::string> arguments;
  std::string output;  // exact bytes
};

std::string Describe(const std::vector<std::string>& arguments) {
  std::string text = "phm210";
  for (const auto& a : arguments) text += " '" + a.substr(0, 40) + "'";
  return text;
}

// Runs that never reach the meter, so they need none and end at once.
TEST(Phm210, CommandsThatDoNotReadTheMeter) {
  const LineCase cases[] = {
      {{}, ""},
      {{"EA", "0"}, ""},
      {{"ea"}, "-777\r\n"},
      {{"ea", "5"}, "-777\r\n"},
      {{"ea", "-1"}, "-777\r\n"},
      {{"ea", "9e18"}, "-777\r\n"},
      {{"stdea", "3"}, "-777\r\n"},
      {{"nea"}, "\r\n"},
      {{"nea", "0"}, "pH*100\r\n"},
      {{"nea", "1"}, "mV\r\n"},
      {{"nea", "2"}, "\xB0" "C*10\r\n"},
      {{"nead", "0"}, "pH\r\n"},
      {{"nead", "2"}, "\xB0" "C\r\n"},
      {{"nead", "7"}, "\r\n"},
      {{"stdnead", "1"}, "mV\r\n"},
      {{"titre"}, kTitle + "\r\n"},
      {{"titre", "1", "2", "3", "4"}, kTitle + "\r\n"},
      {{"titre", "1e19"}, kTitle + "\r\n"},
      {{"titre", "1e300"}, kTitle + "\r\n"},
      {{"detail"}, kDescription + "\r\n"},
      {{"stddetail"}, kDescription + "\r\n"},
      {{"sad", "0", "5"}, "-777\r\n"},
      {{"sa", "0", "5"}, "-777\r\n"},
      {{"stdsas", "0", "5"}, "-777\r\n"},
      {{"sad", "0", "1e39"}, "-777\r\n"},
      {{"sad", "0", "1e19"}, "-777\r\n"},
      {{"stdsas", "0", "34e37"}, "-777\r\n"},
      {{"ea", "", "x"}, "-777\r\n"},  // an empty argument ends the list
      {{std::string(300, 'e')}, ""},
      {{"ea "}, ""},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(Describe(c.arguments));
    // Wine builds the one command line of a Windows program from the
    // arguments, writing an empty one as a pair of quotes, which the program
    // reads as no argument at all: an empty argument cannot reach it there.
    if (UnderWine() &&
        std::find(c.arguments.begin(), c.arguments.end(), "") !=
            c.arguments.end()) {
      continue;
    }
    const RunResult run = Phm210(c.arguments);
    EXPECT_EQ(run.output, c.output);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.stderrOutput, "");
  }
}

struct ReportCase {
  std::vector<std::string> arguments;
  std::string kind;
  std::string secondLine;
};

TEST(Phm210, FailureReports) {
  const std::string longArgument(2000, 'x');
  const ReportCase cases[] = {
      {{"ea", "abc"}, "EConvertError", ConvertError("abc")},
      {{"titre", "abc"}, "EConvertError", ConvertError("abc")},
      {{"titre", "x", "y"}, "EConvertError", ConvertError("x")},
      {{"titre", "1", "y"}, "EConvertError", ConvertError("y")},
      {{"ea", " 1.5 x"}, "EConvertError", ConvertError(" 1.5 x")},
      {{"ea", "1e400"}, "EOverflow", kOverflow},
      {{"titre", "1e309"}, "EOverflow", kOverflow},
      {{"titre", "2e4932"}, "EConvertError", ConvertError("2e4932")},
      {{"ea", "1e300"}, "EInvalidOp", kInvalidOp},
      {{"ea", "1e19"}, "EInvalidOp", kInvalidOp},
      {{"nsa", "1e19"}, "EInvalidOp", kInvalidOp},
      {{"sa", "0", "1e19"}, "EInvalidOp", kInvalidOp},
      {{"stdsas", "0", "1e39"}, "EOverflow", kOverflow},
      {{"stdsas", "0", "35e37"}, "EOverflow", kOverflow},
      {{"stdsas", "1e19", "35e37"}, "EOverflow", kOverflow},
      {{"sa", "1e19", "1e30"}, "EInvalidOp", kInvalidOp},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(Describe(c.arguments));
    const RunResult run = Phm210(c.arguments);
    ExpectReport(run, c.kind, c.secondLine);
  }
}

TEST(Phm210, ReportOfALongArgumentIsCutAfter1023Bytes) {
  const std::string argument(2000, 'x');
  const RunResult run = Phm210({"titre", argument});
  EXPECT_EQ(run.exitStatus, 1);
  ASSERT_EQ(run.output.size(), 1025u);
  const std::size_t quote = run.output.find(".\n'") + 3;
  EXPECT_EQ(run.output.substr(quote), std::string(1023 - quote, 'x') + "\r\n");
}

// Every command once, against a meter answering pH 7.01, -123 mV and 25 °C.
TEST(Phm210, EveryCommandAgainstTheMeter) {
  SimulatedMeter meter({"--ph", "7.01", "--mv", "-123", "--temp", "25"});
  const std::string na = "-777\r\n";
  const std::string empty = "\r\n";
  const std::string ph = "7.00999999999999979\r\n";
  const LineCase cases[] = {
      {{"ea", "0"}, "701\r\n"},
      {{"nea", "0"}, "pH*100\r\n"},
      {{"ead", "0"}, ph},
      {{"nead", "0"}, "pH\r\n"},
      {{"sa", "0", "5"}, na},
      {{"nsa", "0"}, empty},
      {{"rsa", "0"}, na},
      {{"sad", "0", "5"}, na},
      {{"nsad", "0"}, empty},
      {{"rsad", "0"}, na},
      {{"eb", "0"}, na},
      {{"neb", "0"}, empty},
      {{"sb", "0", "5"}, na},
      {{"nsb", "0"}, empty},
      {{"rsb", "0"}, na},
      {{"titre", "0"}, kTitle + "\r\n"},
      {{"detail", "0"}, kDescription + "\r\n"},
      {{"stdea", "0"}, "701\r\n"},
      {{"stdnea", "0"}, "pH*100\r\n"},
      {{"stdead", "0"}, ph},
      {{"stdeas", "0"}, "7.01000022888183594\r\n"},
      {{"stdnead", "0"}, "pH\r\n"},
      {{"stdsa", "0", "5"}, na},
      {{"stdnsa", "0"}, empty},
      {{"stdrsa", "0"}, na},
      {{"stdsad", "0", "5"}, na},
      {{"stdsas", "0", "5"}, na},
      {{"stdnsad", "0"}, empty},
      {{"stdrsad", "0"}, na},
      {{"stdrsas", "0"}, na},
      {{"stdeb", "0"}, na},
      {{"stdneb", "0"}, empty},
      {{"stdsb", "0", "5"}, na},
      {{"stdnsb", "0"}, empty},
      {{"stdrsb", "0"}, na},
      {{"stdtitre", "0"}, kTitle + "\r\n"},
      {{"stddetail", "0"}, kDescription + "\r\n"},
      // The other channels, and channels given as reals.
      {{"ea", "1"}, "-123\r\n"},
      {{"ead", "1"}, "-123\r\n"},
      {{"ea", "2"}, "250\r\n"},
      {{"ead", "2"}, "25\r\n"},
      {{"stdeas", "2"}, "25\r\n"},
      {{"ea", "0.5"}, "701\r\n"},
      {{"ea", "2.5"}, "250\r\n"},
      {{"ea", "4294967296"}, "701\r\n"},
      {{"ea", "-0"}, "701\r\n"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(Describe(c.arguments));
    const RunResult run = Phm210(c.arguments, meter.DevicePath());
    EXPECT_EQ(run.output, c.output);
    EXPECT_EQ(run.exitStatus, 0);
  }
}

TEST(Phm210, EachChannelSendsItsOwnQueryAndOthersSendNothing) {
  SimulatedMeter meter;
  Phm210({"ead", "0"}, meter.DevicePath());
  Phm210({"ea", "2.5"}, meter.DevicePath());
  Phm210({"ea", "1"}, meter.DevicePath());
  Phm210({"ea", "5"}, meter.DevicePath());  // answered at once, port untouched
  meter.Stop();
  EXPECT_EQ(meter.Log(), "?RD pH\\r\n?RD t\\r\n?RD mV\\r\n");
}

struct ReplyCase {
  std::string rawReply;  // what the meter answers to "?RD pH", before its CR
  std::vector<std::string> arguments;
  std::string output;
};

TEST(Phm210, RepliesCutAndReadOnChannelZero) {
  const ReplyCase cases[] = {
      {"pH: 12.34", {"ead", "0"}, "12.3399999999999999\r\n"},
      {"7.01", {"ead", "0"}, "7.00999999999999979\r\n"},
      {"7", {"ead", "0"}, "7\r\n"},
      {"12.34 pH", {"ead", "0"}, "-777\r\n"},
      {"pH:  7", {"ead", "0"}, "-777\r\n"},
      {"pH: 7,01", {"ead", "0"}, "-777\r\n"},
      {"", {"ead", "0"}, "-777\r\n"},
      // Scaled at extended precision, not through a double.
      {"7.015", {"ea", "0"}, "701\r\n"},
      {"0.005", {"ea", "0"}, "1\r\n"},
      {"1e17", {"ea", "0"}, ""},  // the product cannot be rounded: a report
  };
  for (const ReplyCase& c : cases) {
    SCOPED_TRACE("reply '" + c.rawReply + "'");
    SimulatedMeter meter({"--raw-ph", c.rawReply});
    const RunResult run = Phm210(c.arguments, meter.DevicePath());
    if (c.output.empty()) {
      ExpectReport(run, "EInvalidOp", kInvalidOp);
    } else {
      EXPECT_EQ(run.output, c.output);
      EXPECT_EQ(run.exitStatus, 0);
    }
  }
}

TEST(Phm210, ReadingBeyondTheDoubleRangeEndsTheRun) {
  SimulatedMeter meter({"--raw-ph", "1e400"});
  ExpectReport(Phm210({"ead", "0"}, meter.DevicePath()), "EOverflow", kOverflow);
}

TEST(Phm210, ReadingBeyondTheSingleRangeEndsStdeas) {
  SimulatedMeter meter({"--raw-ph", "1e39"});
  ExpectReport(Phm210({"stdeas", "0"}, meter.DevicePath()), "EOverflow", kOverflow);
}

// The runs below wait out the one-second reply limit.
TEST(Phm210, NoMeterGivesNotAvailableScaledAfterTheTimeLimit) {
  const RunResult run = Phm210({"ea", "0"});
  EXPECT_EQ(run.output, "-77700\r\n");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_GE(run.elapsed, 1000ms);
}

TEST(Phm210, UnservedChannelStillOpensThePortAndWaits) {
  SimulatedMeter meter;
  const RunResult run = Phm210({"ead"}, meter.DevicePath());
  EXPECT_EQ(run.output, "-777\r\n");
  EXPECT_GE(run.elapsed, 1000ms);
  meter.Stop();
  EXPECT_EQ(meter.Log(), "");
}

TEST(Phm210, ConcurrentRunsEachGetTheirOwnReading) {
  if (UnderWine()) {
    GTEST_SKIP() << "Wine lets several processes open one serial port at "
                    "once: it does not enforce share mode 0 there";
  }
  SimulatedMeter meter({"--ph", "7.01", "--mv", "-123", "--temp", "25"});
  const char* channels[] = {"0", "1", "2"};
  const std::string expected[] = {"701\r\n", "-123\r\n", "250\r\n"};
  constexpr int kRuns = 10;
  std::vector<RunResult> results(kRuns);
  std::vector<std::thread> threads;
  for (int i = 0; i < kRuns; ++i) {
    threads.emplace_back([&, i] {
      results[i] = Phm210({"ea", channels[i % 3]}, meter.DevicePath());
    });
  }
  for (auto& thread : threads) thread.join();
  for (int i = 0; i < kRuns; ++i) {
    SCOPED_TRACE("run " + std::to_string(i));
    EXPECT_EQ(results[i].output, expected[i % 3]);
    EXPECT_EQ(results[i].exitStatus, 0);
  }
}

TEST(Phm210, LostResultLineIsNoSuccess) {
  SimulatedMeter meter;
  for (StdoutKind kind : {StdoutKind::DevFull, StdoutKind::Closed,
                          StdoutKind::BrokenPipe}) {
    RunOptions options;
    options.arguments = {"ead", "0"};
    options.environment = {{"COM2_DEVICE", meter.DevicePath()}};
    options.stdoutKind = kind;
    const RunResult run = RunProgram(ProgramUnderTest(), options);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.stderrOutput, "");
  }
}

TEST(Phm210, ResultOnATerminalIsTheSameBytes) {
  if (UnderWine()) {
    GTEST_SKIP() << "Wine adds escape codes of its own on a terminal and "
                    "converts bytes to its character set there";
  }
  RunOptions options;
  options.arguments = {"nead", "2"};
  options.stdoutKind = StdoutKind::Terminal;
  const RunResult run = RunProgram(ProgramUnderTest(), options);
  EXPECT_EQ(run.output, "\xB0" "C\r\n");
  EXPECT_EQ(run.exitStatus, 0);
}

// A French locale, built for the test so the machine's locales do not matter.
class CommaLocale : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    localeDirectory_ = std::string(PHM210_BUILD_DIR) + "/test-locales";
    const std::string command = "mkdir -p " + localeDirectory_ +
                                " && localedef -i fr_FR -f UTF-8 " +
                                localeDirectory_ + "/fr_FR.UTF-8 2>/dev/null";
    built_ = std::system(command.c_str()) == 0 ||
             std::system(("test -d " + localeDirectory_ + "/fr_FR.UTF-8").c_str()) == 0;
  }
  void SetUp() override {
    if (!built_) GTEST_SKIP() << "localedef could not build fr_FR.UTF-8";
  }
  RunResult RunFrench(std::vector<std::string> arguments, const std::string& device) {
    return Phm210(std::move(arguments), device,
               {{"LOCPATH", localeDirectory_}, {"LC_ALL", "fr_FR.UTF-8"}});
  }
  static inline std::string localeDirectory_;
  static inline bool built_ = false;
};

TEST_F(CommaLocale, SeparatorIsTheLocales) {
  SimulatedMeter meter({"--ph", "7.01"});
  EXPECT_EQ(RunFrench({"ead", "0"}, meter.DevicePath()).output,
            "7,00999999999999979\r\n");
  EXPECT_EQ(RunFrench({"ea", "0,5"}, meter.DevicePath()).output, "701\r\n");
  ExpectReport(RunFrench({"ea", "0.5"}, meter.DevicePath()), "EConvertError",
               ConvertError("0.5"));
}

}  // namespace
