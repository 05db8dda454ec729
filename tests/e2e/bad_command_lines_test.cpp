// Hostile command lines through the real executable: every byte value in
// every argument position, arguments far beyond any sensible length, long
// command names and empty arguments in the middle. Each run ends with its
// defined line or failure report, never with a crash.
//
// These cases need no meter: every command used here answers without the
// port (COM2_DEVICE names a path that cannot be opened, should one try).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "run_program.h"

namespace {

const std::string kNoDevice = "/nonexistent/phm210-test-port";
const std::string kTitle = "PHM210 en Com2:\r\n";

struct Expectation {
  std::vector<std::string> arguments;
  // The exact output, or for a report its kind and second line.
  std::string output;
  std::string reportKind;  // empty: no report expected
};

Expectation Line(std::vector<std::string> arguments, std::string output) {
  return {std::move(arguments), std::move(output), {}};
}

Expectation Report(std::vector<std::string> arguments, std::string kind,
                   std::string secondLine) {
  return {std::move(arguments), std::move(secondLine), std::move(kind)};
}

std::string ConvertError(const std::string& text) {
  return "'" + text + "' n'est pas une valeur en virgule flottante correcte.";
}

const std::string kOverflow =
    "D\xE9"
    "bordement en virgule flottante.";

// The Windows program splits its own command line: separators, quotes and
// long arguments reach it differently, so these cases are for programs that
// receive their arguments already split.
bool ProgramSplitsItsOwnCommandLine() {
  const std::string program = ProgramUnderTest();
  return program.size() > 4 && program.substr(program.size() - 4) == ".exe";
}

RunResult Run(const std::vector<std::string>& arguments) {
  RunOptions options;
  options.arguments = arguments;
  options.environment = {{"COM2_DEVICE", kNoDevice}, {"LC_ALL", "C"}};
  options.stdoutKind = StdoutKind::Pipe;
  return RunProgram(ProgramUnderTest(), options);
}

std::string Describe(const std::vector<std::string>& arguments) {
  std::string text = "phm210";
  for (const std::string& argument : arguments) {
    text += " '";
    for (const char c : argument.substr(0, 40)) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x21 && byte < 0x7F) {
        text += c;
      } else {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        text += escaped;
      }
    }
    text += argument.size() > 40
                ? "...' (" + std::to_string(argument.size()) + " bytes)"
                : "'";
  }
  return text;
}

// The report's first line holds a code address that only the build knows;
// the rest is compared byte for byte. The whole report is cut after 1023
// bytes.
std::string ReportMismatch(const RunResult& run, const std::string& kind,
                           const std::string& secondLine) {
  const std::string start =
      "Exception " + kind + " dans le module " + ProgramFileName() + " \xE0 ";
  if (run.output.size() < start.size() + 10 ||
      run.output.compare(0, start.size(), start) != 0 ||
      run.output.find_first_not_of("0123456789ABCDEF", start.size()) !=
          start.size() + 8) {
    return "not a report of " + kind + ": " + run.output.substr(0, 200);
  }
  const std::string expected =
      (run.output.substr(0, start.size() + 8) + ".\n" + secondLine)
          .substr(0, 1023) +
      "\r\n";
  if (run.output != expected) {
    return "report differs: " + run.output.substr(0, 300);
  }
  return {};
}

// Runs the cases on a few threads (each run costs a few milliseconds of
// starting a process) and checks each one.
void RunAll(const std::vector<Expectation>& cases) {
  std::vector<RunResult> results(cases.size());
  const std::size_t threadCount =
      std::max(2u, std::min(8u, std::thread::hardware_concurrency() * 2));
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < threadCount; ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t i = t; i < cases.size(); i += threadCount) {
        results[i] = Run(cases[i].arguments);
      }
    });
  }
  for (auto& thread : threads) thread.join();

  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Expectation& c = cases[i];
    const RunResult& run = results[i];
    SCOPED_TRACE(Describe(c.arguments));
    EXPECT_EQ(run.signal, 0);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.stderrOutput, "");
    if (c.reportKind.empty()) {
      EXPECT_EQ(run.output, c.output);
      EXPECT_EQ(run.exitStatus, 0);
    } else {
      EXPECT_EQ(ReportMismatch(run, c.reportKind, c.output), "");
      EXPECT_EQ(run.exitStatus, 1);
    }
  }
}

class BadCommandLines : public ::testing::Test {
 protected:
  void SetUp() override {
    if (ProgramSplitsItsOwnCommandLine()) {
      GTEST_SKIP() << "the program splits its own command line; the "
                      "scanner's own tests cover these bytes";
    }
  }
};

std::string Byte(int value) { return std::string(1, static_cast<char>(value)); }

bool IsDigit(int b) { return b >= '0' && b <= '9'; }

// No command name has one byte; "nea" and one more byte is a command only
// as "nead".
TEST_F(BadCommandLines, EveryByteInTheCommandName) {
  std::vector<Expectation> cases;
  for (int b = 0x01; b <= 0xFF; ++b) {
    cases.push_back(Line({Byte(b), "0"}, ""));
    cases.push_back(Line({"nea" + Byte(b), "0"}, b == 'd' ? "pH\r\n" : ""));
  }
  RunAll(cases);
}

// The channel of "nea" (a unit text, no meter needed): digits are channels,
// "." alone is 0.0, every other byte alone is no number.
TEST_F(BadCommandLines, EveryByteAsTheChannel) {
  std::vector<Expectation> cases;
  for (int b = 0x01; b <= 0xFF; ++b) {
    const std::vector<std::string> arguments = {"nea", Byte(b)};
    if (b == '0' || b == '.') {
      cases.push_back(Line(arguments, "pH*100\r\n"));
    } else if (b == '1') {
      cases.push_back(Line(arguments, "mV\r\n"));
    } else if (b == '2') {
      cases.push_back(Line(arguments,
                           "\xB0"
                           "C*10\r\n"));
    } else if (IsDigit(b)) {
      cases.push_back(Line(arguments, "\r\n"));
    } else {
      cases.push_back(
          Report(arguments, "EConvertError", ConvertError(Byte(b))));
    }
  }
  RunAll(cases);
}

// One byte after the digit 1 of the channel: another digit makes a channel
// no operation serves; ".", "e", "E" (no exponent digit needed) and a
// trailing blank leave channel 1; anything else makes it no number.
TEST_F(BadCommandLines, EveryByteInsideTheChannel) {
  std::vector<Expectation> cases;
  for (int b = 0x01; b <= 0xFF; ++b) {
    const std::vector<std::string> arguments = {"nea", "1" + Byte(b)};
    if (IsDigit(b)) {
      cases.push_back(Line(arguments, "\r\n"));
    } else if (b == '.' || b == 'e' || b == 'E' || b == ' ') {
      cases.push_back(Line(arguments, "mV\r\n"));
    } else {
      cases.push_back(
          Report(arguments, "EConvertError", ConvertError("1" + Byte(b))));
    }
  }
  RunAll(cases);
}

// The value is read whatever the command: "sa" answers -777 for any value
// that can be read and rounded.
TEST_F(BadCommandLines, EveryByteAsTheValue) {
  std::vector<Expectation> cases;
  for (int b = 0x01; b <= 0xFF; ++b) {
    const std::vector<std::string> arguments = {"sa", "0", Byte(b)};
    if (IsDigit(b) || b == '.') {
      cases.push_back(Line(arguments, "-777\r\n"));
    } else {
      cases.push_back(
          Report(arguments, "EConvertError", ConvertError(Byte(b))));
    }
  }
  RunAll(cases);
}

// Arguments arrive whole, however long: only the command name is cut (to
// 255 bytes). 131,000 bytes is close to the longest single argument that
// Linux passes to a program.
TEST_F(BadCommandLines, LongArguments) {
  const auto channelOne = [](std::size_t length) {
    return std::string(length - 1, '0') + "1";
  };
  const std::string ones4096(4096, '1');
  const std::vector<Expectation> cases = {
      Line({"nea", channelOne(4096)}, "mV\r\n"),
      Line({"nea", channelOne(4097)}, "mV\r\n"),
      Line({"nea", channelOne(131000)}, "mV\r\n"),
      Line({"ea", std::string(130999, '0') + "5"}, "-777\r\n"),
      Line({"nea", std::string(4096, ' ') + "1" + std::string(4096, ' ')},
           "mV\r\n"),
      // 4096 digits: about 1.1e4095, beyond double but within
      // double-extended.
      Report({"titre", ones4096}, "EOverflow", kOverflow),
      Report({"titre", "-" + ones4096}, "EOverflow", kOverflow),
      // Beyond double-extended while the digits are gathered, even where
      // the fraction would bring the value back.
      Report({"titre", std::string(131000, '1')}, "EConvertError",
             ConvertError(std::string(131000, '1'))),
      Report({"nea", "1." + std::string(4998, '0')}, "EConvertError",
             ConvertError("1." + std::string(4998, '0'))),
      Report({"titre", std::string(4097, 'x')}, "EConvertError",
             ConvertError(std::string(4097, 'x'))),
      Report({"nea", "1", std::string(131000, '\xE9')}, "EConvertError",
             ConvertError(std::string(131000, '\xE9'))),
      // Command names of 255 and 256 bytes match nothing, and the numbers
      // are still read.
      Line({std::string(255, 'a')}, ""),
      Line({std::string(256, 'a'), "0", "0"}, ""),
      Line({"nea" + std::string(253, 'd')}, ""),
      Report({std::string(256, 'a'), "abc"}, "EConvertError",
             ConvertError("abc")),
      Line({std::string(131000, 'n')}, ""),
  };
  RunAll(cases);
}

// An empty argument ends the list: nothing after it is read.
TEST_F(BadCommandLines, EmptyArgumentsInTheMiddle) {
  const std::vector<Expectation> cases = {
      Line({"", "nea", "0"}, ""),
      Line({"", "titre"}, ""),
      Line({"nea", "", "0"}, "\r\n"),  // channel 11
      Line({"titre", "", "abc"}, kTitle),
      Line({"nea", "1", "", "abc"}, "mV\r\n"),
      Line({"nea", "", ""}, "\r\n"),
      Line({"titre", "", "", "", "x"}, kTitle),
      Report({"titre", "abc", ""}, "EConvertError", ConvertError("abc")),
      Report({"titre", "1", "x", ""}, "EConvertError", ConvertError("x")),
  };
  RunAll(cases);
}

}  // namespace
