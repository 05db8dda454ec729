// The trace seam: when it writes, what a line looks like, and how bytes read
// in it. Each run of the seam is a forked child, since the variable is read
// once per process.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "platform/trace_output.h"

namespace {

struct QuotedCase {
  std::string bytes;
  std::string quoted;
};

TEST(TraceQuoted, ShowsEveryByteReadably) {
  const QuotedCase cases[] = {
      {"", R"("")"},
      {"pH:  7.01", R"("pH:  7.01")"},
      {" 7.01 ", R"(" 7.01 ")"},
      {"?RD pH\r", R"("?RD pH\r")"},
      {"\r\n\t", R"("\r\n\t")"},
      {"say \"x\" \\ y", R"("say \"x\" \\ y")"},
      {std::string("\0\x01\x1F", 3), R"("\x00\x01\x1F")"},
      {" ~\x7F", R"(" ~\x7F")"},
      {"\xB0"
       "C",
       R"("\xB0C")"},
      {"\x80\xFF", R"("\x80\xFF")"},
  };
  for (const QuotedCase& c : cases) {
    EXPECT_EQ(TraceQuoted(c.bytes), c.quoted);
  }
}

// What a child process writes on standard error after `steps` ran in it.
template <typename Steps>
std::string StandardErrorOf(Steps steps) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    dup2(fds[1], STDERR_FILENO);
    steps();
    _exit(0);
  }
  close(fds[1]);
  std::string output;
  char chunk[4096];
  for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;) {
    output.append(chunk, static_cast<std::size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return output;
}

void SetVariable(const char* value) {
  if (value == nullptr) {
    unsetenv("PHM210_TRACE");
  } else {
    setenv("PHM210_TRACE", value, 1);
  }
}

struct EnableCase {
  const char* atStart;  // nullptr: not set
  const char* later;    // set after the first use
  bool traces;
};

TEST(TraceEnabled, ReadsTheVariableOnceAtFirstUse) {
  const EnableCase cases[] = {
      {nullptr, "1", false}, {"", "1", false},   {"0", "1", false},
      {"1", nullptr, true},  {"yes", "0", true}, {"00", nullptr, true},
  };
  for (const EnableCase& c : cases) {
    const std::string written = StandardErrorOf([&c] {
      SetVariable(c.atStart);
      const bool first = TraceEnabled();
      SetVariable(c.later);
      if (TraceEnabled() != first) std::abort();
      TraceLine("value %d", 5);
    });
    const std::string label = std::string(c.atStart ? c.atStart : "(unset)");
    if (c.traces) {
      EXPECT_TRUE(std::regex_match(
          written, std::regex("phm210 +[0-9]+\\.[0-9]{3} ms  value 5\n")))
          << label << ": " << written;
    } else {
      EXPECT_EQ(written, "") << label;
    }
  }
}

TEST(TraceLine, WritesALongLineWholeAfterItsPrefix) {
  const std::string text(20000, 'x');
  const std::string written = StandardErrorOf([&text] {
    SetVariable("1");
    TraceLine("[%s]", text.c_str());
  });
  const std::size_t start = written.find("ms  [");
  ASSERT_NE(start, std::string::npos) << written.substr(0, 80);
  EXPECT_EQ(written.substr(start + 4), "[" + text + "]\n");
}

TEST(TraceLine, TimesStartNearZeroAndDoNotGoBack) {
  const std::string written = StandardErrorOf([] {
    SetVariable("1");
    for (int i = 0; i < 3; ++i) TraceLine("line %d", i);
  });
  const std::regex line("phm210 +([0-9]+)\\.([0-9]{3}) ms  line ([0-9])\n");
  long previous = -1;
  int count = 0;
  for (auto it = std::sregex_iterator(written.begin(), written.end(), line);
       it != std::sregex_iterator(); ++it, ++count) {
    const long microseconds = std::stol((*it)[1]) * 1000 + std::stol((*it)[2]);
    EXPECT_GE(microseconds, previous);
    previous = microseconds;
    EXPECT_EQ((*it)[3], std::to_string(count));
  }
  EXPECT_EQ(count, 3) << written;
  EXPECT_LT(previous, 1000000) << "a whole second for three lines";
}

}  // namespace
