// The Windows-style command-line scanner, as a pure function over bytes.

#include "platform/command_line_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every argument after the program's own name, up to the first empty one.
std::vector<std::string> ArgumentsOf(const std::string& commandLine) {
  static ScannedArgument argument;
  std::vector<std::string> result;
  std::size_t position =
      ScanArgument(commandLine, 0, argument);  // program name
  for (;;) {
    position = ScanArgument(commandLine, position, argument);
    if (argument.length == 0) return result;
    result.emplace_back(argument.bytes, argument.length);
  }
}

struct ScanCase {
  const char* name;
  std::string commandLine;
  std::vector<std::string> arguments;
};

void PrintTo(const ScanCase& c, std::ostream* out) { *out << c.name; }

class ScanTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTest, YieldsTheArguments) {
  EXPECT_EQ(ArgumentsOf(GetParam().commandLine), GetParam().arguments);
}

const std::string k4100(4100, 'z');

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ScanTest,
    ::testing::Values(
        ScanCase{"TwoPlain", "phm210 ea 0", {"ea", "0"}},
        ScanCase{"NothingAfterTheName", "phm210", {}},
        ScanCase{"QuotedProgramName",
                 "\"C:\\Program Files\\phm210.exe\" ea",
                 {"ea"}},
        ScanCase{"EmptyPairYieldsNoArgument", "p \"\" 3", {"3"}},
        ScanCase{"EmptyPairAtTheEnd", "p x \"\"", {"x"}},
        ScanCase{"QuotedStretchInsideAnArgument", "p ab\"c d\"ef", {"abc def"}},
        ScanCase{"AdjacentQuotedStretches", "p \"a\"\"b\"", {"ab"}},
        ScanCase{"BackslashIsOrdinary", "p a\\\"b c\"", {"a\\b c"}},
        ScanCase{"UnclosedQuoteRunsToTheEnd", "p \" b", {" b"}},
        ScanCase{"LoneQuoteAtTheEnd", "p a \"", {"a"}},
        ScanCase{"TabSeparates", "p ea\t0", {"ea", "0"}},
        ScanCase{"ControlBytesSeparate",
                 "p ea\x01"
                 "0\x1F"
                 "1",
                 {"ea", "0", "1"}},
        ScanCase{"HighBytesAreOrdinary", "p \xE9\xB0", {"\xE9\xB0"}},
        ScanCase{"ZeroByteEndsTheLine", std::string("p ea\0 0", 7), {"ea"}},
        ScanCase{"LongArgumentSplitsAt4096",
                 "p " + k4100 + " 2",
                 {std::string(4096, 'z'), "zzzz", "2"}},
        ScanCase{"Exactly4096StaysWhole",
                 "p " + std::string(4096, 'y') + " 2",
                 {std::string(4096, 'y'), "2"}},
        ScanCase{"LongQuotedStretchIsCutNotOverrun",
                 "p \"" + std::string(5000, 'q') + "\" 2",
                 {std::string(4096, 'q'), "2"}}),
    [](const auto& info) { return info.param.name; });

TEST(ScanArgument, QuotedBlankAndEaIsNotEa) {
  EXPECT_EQ(ArgumentsOf("p \"ea \""), std::vector<std::string>{"ea "});
}

}  // namespace
