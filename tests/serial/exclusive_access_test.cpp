// Two runs never share the wire: a second process that opens the port while
// another holds it waits for it, up to its time limit.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "pseudo_terminal.h"
#include "ucommw32/ucommw32.h"

namespace {

using std::chrono::milliseconds;

CountedText Text(std::string_view bytes) {
  CountedText text;
  AssignCountedText(text, bytes);
  return text;
}

// Another run in a child process: open, send "child" and CR, receive a
// line, close. Returns its pid; the line it received comes out of `result`.
pid_t StartOtherRun(std::uint16_t timeoutMs, int& result) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  const pid_t child = fork();
  if (child != 0) {
    close(channel[1]);
    result = channel[0];
    return child;
  }
  close(channel[0]);
  TimeoutMs = timeoutMs;
  OpenPort();
  SendText(Text("child\r"));
  CountedText line;
  ReceiveLine(line);
  ClosePort();
  const ssize_t written = write(channel[1], line.bytes, line.length);
  _exit(written == line.length ? 0 : 1);
}

std::string FinishOtherRun(pid_t child, int result) {
  int status = 0;
  waitpid(child, &status, 0);
  std::string line;
  char chunk[256];
  for (ssize_t count; (count = read(result, chunk, sizeof chunk)) > 0;) {
    line.append(chunk, static_cast<std::size_t>(count));
  }
  close(result);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return line;
}

class ExclusiveAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    AssignCountedText(PortName, line.Path());
    AssignCountedText(PortSettings,
                      std::string("baud=9600 parity=n data=8 stop=1 \0", 34));
    TimeoutMs = 10000;
  }
  void TearDown() override { ClosePort(); }

  std::string Exchange(std::string_view query, std::string_view reply) {
    SendText(Text(query));
    EXPECT_EQ(line.Read(query.size(), milliseconds(5000)), query);
    line.Write(reply);
    CountedText received;
    ReceiveLine(received);
    return std::string(View(received));
  }

  PseudoTerminal line;
};

TEST_F(ExclusiveAccess, SecondRunWaitsThenGetsThePort) {
  OpenPort();
  int result = -1;
  const pid_t other = StartOtherRun(10000, result);
  ASSERT_GT(other, 0);

  // While this run holds the port, the other one sends nothing and takes
  // nothing of this run's exchange.
  EXPECT_EQ(line.Read(1, milliseconds(300)), "");
  EXPECT_EQ(Exchange("?RD pH\r", "pH:  7.01\r"), "pH:  7.01");
  EXPECT_EQ(line.Read(1, milliseconds(100)), "");
  ClosePort();

  // Then it gets the port and does its exchange normally.
  EXPECT_EQ(line.Read(6, milliseconds(10000)), "child\r");
  line.Write("for the child\r");
  EXPECT_EQ(FinishOtherRun(other, result), "for the child");
}

TEST_F(ExclusiveAccess, RunGivesUpAfterItsTimeLimit) {
  OpenPort();
  int result = -1;
  const pid_t other = StartOtherRun(200, result);
  ASSERT_GT(other, 0);
  // The other run ends while this one still holds the port: it behaves as
  // with a port that cannot be opened.
  EXPECT_EQ(FinishOtherRun(other, result), "");
  EXPECT_EQ(line.Read(1, milliseconds(100)), "");
  EXPECT_EQ(Exchange("?RD mV\r", "mV: -123\r"), "mV: -123");
}

}  // namespace
