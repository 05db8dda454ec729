// The process frame through a real process: exact bytes on every kind of
// standard output, and the exit status a caller sees.

#include <gtest/gtest.h>

#include <string>

#include "run_program.h"

namespace {

RunResult Probe(std::vector<std::string> arguments,
                StdoutKind kind = StdoutKind::Pipe) {
  RunOptions options;
  options.arguments = std::move(arguments);
  options.stdoutKind = kind;
  return RunProgram(BuiltProgram("tests/frame/frame_probe"), options);
}

const std::string kOverflowReportEnd =
    ".\nD\xE9"
    "bordement en virgule flottante.\r\n";

struct KindCase {
  const char* name;
  StdoutKind kind;
  bool delivered;
};

void PrintTo(const KindCase& c, std::ostream* out) { *out << c.name; }

class EveryOutputKind : public ::testing::TestWithParam<KindCase> {};

// A line that reaches its reader ends the run with 0; one that cannot be
// delivered must not be taken for success.
TEST_P(EveryOutputKind, ResultLine) {
  const RunResult run = Probe({"line", "7.00999999999999979"}, GetParam().kind);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.stderrOutput, "");
  if (GetParam().delivered) {
    EXPECT_EQ(run.output, "7.00999999999999979\r\n");
    EXPECT_EQ(run.exitStatus, 0);
  } else {
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.exitStatus, 1);
  }
}

TEST_P(EveryOutputKind, FailureReport) {
  const RunResult run = Probe({"overflow"}, GetParam().kind);
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.stderrOutput, "");
  if (GetParam().delivered) {
    const std::string start =
        "Exception EOverflow dans le module frame_probe \xE0 ";
    ASSERT_EQ(run.output.size(), start.size() + 8 + kOverflowReportEnd.size());
    EXPECT_EQ(run.output.substr(0, start.size()), start);
    EXPECT_EQ(run.output.find_first_not_of("0123456789ABCDEF", start.size()),
              start.size() + 8);
    EXPECT_EQ(run.output.substr(start.size() + 8), kOverflowReportEnd);
  } else {
    EXPECT_EQ(run.output, "");
  }
}

TEST_P(EveryOutputKind, RunThatWritesNothingSucceeds) {
  const RunResult run = Probe({"nothing"}, GetParam().kind);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.exitStatus, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EveryOutputKind,
    ::testing::Values(KindCase{"Terminal", StdoutKind::Terminal, true},
                      KindCase{"File", StdoutKind::File, true},
                      KindCase{"Pipe", StdoutKind::Pipe, true},
                      KindCase{"DevFull", StdoutKind::DevFull, false},
                      KindCase{"Closed", StdoutKind::Closed, false},
                      KindCase{"PipeWithoutReader", StdoutKind::BrokenPipe,
                               false}),
    [](const auto& info) { return info.param.name; });

TEST(ProcessFrame, LongOutputReachesAFileWhole) {
  const RunResult run = Probe({"lines", "100"}, StdoutKind::File);
  std::string expected;
  for (int i = 0; i < 100; ++i) expected += "0123456789\r\n";
  EXPECT_EQ(run.output, expected);
  EXPECT_EQ(run.exitStatus, 0);
}

TEST(ProcessFrame, ReportAddressIsTheSameInEveryRun) {
  const std::string first = Probe({"overflow"}).output;
  EXPECT_EQ(Probe({"overflow"}).output, first);
  EXPECT_NE(Probe({"convert", "x"}).output.substr(0, 60), first.substr(0, 60));
}

TEST(ProcessFrame, ReportOfALongArgumentIsCutAfter1023Bytes) {
  const std::string argument(2000, 'n');
  const RunResult run = Probe({"convert", argument}, StdoutKind::File);
  EXPECT_EQ(run.exitStatus, 1);
  ASSERT_EQ(run.output.size(), 1025u);
  EXPECT_EQ(run.output.substr(1020), "nnn\r\n");
}

TEST(ProcessFrame, LackOfMemoryBeforeTheReportGivesTheRuntimeErrorLine) {
  const RunResult run = Probe({"early-oom"});
  EXPECT_EQ(run.exitStatus, 203);
  ASSERT_EQ(run.output.size(), 31u);
  EXPECT_EQ(run.output.substr(0, 21), "Runtime error 203 at ");
  EXPECT_EQ(run.output.find_first_not_of("0123456789ABCDEF", 21), 29u);
  EXPECT_EQ(run.output.substr(29), "\r\n");
}

TEST(ProcessFrame, ArgumentsStopAtTheFirstEmptyOne) {
  const RunResult run = Probe({"arguments", "0", "", "x"});
  EXPECT_EQ(run.output, "2\r\narguments\r\n0\r\n\r\n");
}

TEST(ProcessFrame, LongArgumentIsTakenWhole) {
  const std::string argument(131000, 'a');
  const RunResult run = Probe({"arguments", argument});
  EXPECT_EQ(run.output, "2\r\narguments\r\n" + argument + "\r\n\r\n");
}

}  // namespace
