// ConsoleOut over a recording standard output. Each test runs in its own
// process (the stream is module state that a run uses once), so the tests
// below are death-free but forked: see RunInChild.

#include "main/console.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "fake_standard_output.h"

namespace {

// The console's state lives for one run, like the process it serves, so every
// scenario gets a fresh process and reports back through its exit status.
void ExpectInFreshProcess(const std::function<void()>& scenario) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    scenario();
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the scenario's expectations failed (see above)";
}

std::string Joined() {
  std::string all;
  for (const auto& chunk : fakeStandardOutput.handOvers) all += chunk;
  return all;
}

TEST(ConsoleOut, IntegersAreWrittenInFull) {
  struct Case {
    std::int32_t value;
    const char* text;
  };
  const Case cases[] = {{-777, "-777"},
                        {0, "0"},
                        {2147483647, "2147483647"},
                        {-2147483648, "-2147483648"},
                        {-77700, "-77700"}};
  for (const Case& c : cases) {
    ExpectInFreshProcess([&] {
      WriteInteger(c.value);
      CloseConsoleOut();
      EXPECT_EQ(Joined(), c.text);
    });
  }
}

TEST(ConsoleOut, FileOrPipeReceivesTheLineOnlyAtTheEnd) {
  ExpectInFreshProcess([] {
    WriteText("PHM210 en Com2:");
    WriteLineEnd();
    EXPECT_TRUE(fakeStandardOutput.handOvers.empty());
    CloseConsoleOut();
    ASSERT_EQ(fakeStandardOutput.handOvers.size(), 1u);
    EXPECT_EQ(fakeStandardOutput.handOvers[0], "PHM210 en Com2:\r\n");
    EXPECT_EQ(PendingIoError(), 0);
    EXPECT_FALSE(ConsoleOutputLost());
  });
}

TEST(ConsoleOut, CharacterDeviceReceivesEachLineAtItsEnd) {
  ExpectInFreshProcess([] {
    fakeStandardOutput.kind = OutputKind::CharacterDevice;
    WriteText(
        "\xB0"
        "C");
    EXPECT_TRUE(fakeStandardOutput.handOvers.empty());
    WriteLineEnd();
    ASSERT_EQ(fakeStandardOutput.handOvers.size(), 1u);
    EXPECT_EQ(fakeStandardOutput.handOvers[0],
              "\xB0"
              "C\r\n");
    CloseConsoleOut();
    EXPECT_EQ(fakeStandardOutput.handOvers.size(), 1u);
  });
}

TEST(ConsoleOut, HandsOverEvery128BytesAndAWriteThatFillsTheBufferAtOnce) {
  ExpectInFreshProcess([] {
    const std::string exactly128(128, 'a');
    WriteText(exactly128.c_str());
    ASSERT_EQ(fakeStandardOutput.handOvers.size(), 1u);
    EXPECT_EQ(fakeStandardOutput.handOvers[0], exactly128);

    const std::string longer(300, 'b');
    WriteText(longer.c_str());
    ASSERT_EQ(fakeStandardOutput.handOvers.size(), 3u);
    EXPECT_EQ(fakeStandardOutput.handOvers[1], std::string(128, 'b'));
    EXPECT_EQ(fakeStandardOutput.handOvers[2], std::string(128, 'b'));
    CloseConsoleOut();
    EXPECT_EQ(fakeStandardOutput.handOvers.back(), std::string(44, 'b'));
  });
}

TEST(ConsoleOut, RunThatWritesNothingNeverTouchesStandardOutput) {
  ExpectInFreshProcess([] {
    CloseConsoleOut();
    EXPECT_EQ(fakeStandardOutput.openCalls, 0);
    EXPECT_FALSE(ConsoleOutputLost());
  });
}

TEST(ConsoleOut, UnavailableOutputRecordsCodesAndRetriesEachWrite) {
  ExpectInFreshProcess([] {
    fakeStandardOutput.kind = OutputKind::Unavailable;
    WriteInteger(-777);
    EXPECT_EQ(PendingIoError(), kIoErrorNotOpenForOutput);
    WriteLineEnd();
    EXPECT_EQ(PendingIoError(), kIoErrorFileNotOpen);
    EXPECT_EQ(fakeStandardOutput.openCalls, 2);
    EXPECT_TRUE(ConsoleOutputLost());
    EXPECT_TRUE(fakeStandardOutput.handOvers.empty());
  });
}

TEST(ConsoleOut, FailedHandOverLosesItsBytesAndLaterWritesStartAfresh) {
  ExpectInFreshProcess([] {
    fakeStandardOutput.failWith = 28;  // no space left on the device
    WriteText(std::string(130, 'x').c_str());
    EXPECT_EQ(PendingIoError(), 28);
    EXPECT_TRUE(ConsoleOutputLost());
    fakeStandardOutput.failWith = 0;
    WriteText("ok");
    CloseConsoleOut();
    // The 2 bytes after the failed 128 were dropped with their write.
    EXPECT_EQ(Joined(), "ok");
  });
}

}  // namespace
