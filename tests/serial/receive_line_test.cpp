// The serial link over a real pseudo-terminal, with the test playing the
// meter.

#include <gtest/gtest.h>
#include <sys/time.h>
#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <thread>

#include "platform/tick_clock.h"
#include "pseudo_terminal.h"
#include "ucommw32/ucommw32.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// A time limit that a result "at once" stays far below: a wrong wait for it
// would be noticed, not merely be slow.
constexpr std::uint16_t kLongLimitMs = 30000;
// A time limit short enough to be waited out by many cases.
constexpr std::uint16_t kShortLimitMs = 200;

const std::string kMeterSettings("baud=9600 parity=n data=8 stop=1 \0", 34);

CountedText Text(std::string_view bytes) {
  CountedText text;
  AssignCountedText(text, bytes);
  return text;
}

// Counts how often ReceiveLine looks at the time: a wait that spins instead
// of sleeping looks thousands of times, one that sleeps a few times beyond
// once per byte received.
std::atomic<int> ClockReadings{0};
std::uint32_t CountingClock() {
  ++ClockReadings;
  return TickCount();
}
constexpr int kClockReadingsOfAWait = 20;

class SerialLink : public ::testing::Test {
 protected:
  void SetUp() override {
    SetReceiveLineClock(CountingClock);
    AssignCountedText(PortName, line.Path());
    AssignCountedText(PortSettings, kMeterSettings);
    TimeoutMs = kShortLimitMs;
  }
  void TearDown() override {
    ClosePort();
    SetReceiveLineClock(nullptr);
  }

  // ReceiveLine, with the time it took.
  std::string Receive(milliseconds& took) {
    CountedText received = Text("not touched");
    ClockReadings = 0;
    const auto start = Clock::now();
    ReceiveLine(received);
    took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    return std::string(View(received));
  }

  PseudoTerminal line;
};

struct WaitingReplyCase {
  const char* what;
  std::string bytes;     // in the queue before ReceiveLine starts
  std::string expected;  // the line received
  bool waitsOutLimit;    // no CR: the result comes at the time limit
  int leftWaiting;       // bytes still queued afterwards
};

const WaitingReplyCase kWaitingReplies[] = {
    {"a line", "abc\r", "abc", false, 0},
    {"CR first", "\r", "", false, 0},
    {"CR first, more after", "\rabc\r", "", false, 4},
    {"bytes after the CR stay unread", "abc\rdef", "abc", false, 3},
    {"only the first line", "ab\rcd\r", "ab", false, 3},
    {"no translation of LF, NUL or high bytes", std::string("a\n\0\xE9\r", 5),
     std::string("a\n\0\xE9", 4), false, 0},
    {"longest line: 254 bytes", std::string(254, 'x') + "\r",
     std::string(254, 'x'), false, 0},
    {"no CR in time", "abc", "", true, 0},
    {"nothing in time", "", "", true, 0},
    // The text is full before the CR: the CR is dropped like every byte
    // after the 255th, and the line never ends.
    {"255 bytes before the CR", std::string(255, 'x') + "\r", "", true, 0},
    {"300 bytes without CR", std::string(300, 'y'), "", true, 0},
};

TEST_F(SerialLink, ReceivesTheLineBeforeTheFirstCr) {
  for (const WaitingReplyCase& c : kWaitingReplies) {
    SCOPED_TRACE(c.what);
    TimeoutMs = c.waitsOutLimit ? kShortLimitMs : kLongLimitMs;
    OpenPort();
    line.Write(c.bytes);
    // Let the terminal move the bytes into the port's input queue.
    while (BytesWaiting() < c.bytes.size() && !c.bytes.empty()) {
      std::this_thread::sleep_for(milliseconds(1));
    }
    milliseconds took{};
    EXPECT_EQ(Receive(took), c.expected);
    if (c.waitsOutLimit) {
      EXPECT_GE(took.count(), TimeoutMs);
      EXPECT_LE(ClockReadings,
                static_cast<int>(c.bytes.size()) + kClockReadingsOfAWait)
          << "busy wait";
    } else {
      EXPECT_LT(took.count(), kLongLimitMs / 2);
    }
    EXPECT_EQ(BytesWaiting(), c.leftWaiting);
    ClosePort();
  }
}

TEST_F(SerialLink, ReceivesALineThatComesInPieces) {
  TimeoutMs = kLongLimitMs;
  OpenPort();
  std::thread meter([this] {
    for (const char* piece : {"pH:", "  7", ".01", "\r", "late"}) {
      std::this_thread::sleep_for(milliseconds(30));
      line.Write(piece);
    }
  });
  milliseconds took{};
  EXPECT_EQ(Receive(took), "pH:  7.01");
  EXPECT_LT(took.count(), kLongLimitMs / 2);
  meter.join();
}

TEST_F(SerialLink, SendsTheTextUnchanged) {
  OpenPort();
  SendText(Text("?RD pH\r"));
  SendText(Text(std::string("\n\0\xFF", 3)));
  EXPECT_EQ(line.Read(10, milliseconds(5000)),
            std::string("?RD pH\r\n\0\xFF", 10));
}

TEST_F(SerialLink, NeverReadsInputFromBeforeTheOpening) {
  // What came while nobody had the port open...
  line.Write("stale\r");
  // ...and what a run left unread after its line.
  OpenPort();
  line.Write("abc\rleft over");
  TimeoutMs = kLongLimitMs;
  milliseconds took{};
  ASSERT_EQ(Receive(took), "abc");
  ClosePort();
  EXPECT_EQ(line.DeviceInputCount(), 0) << "unread bytes survive the close";

  line.Write("between runs\r");
  OpenPort();
  line.Write("fresh\r");
  EXPECT_EQ(Receive(took), "fresh");
}

TEST_F(SerialLink, ConfiguresTheLine) {
  struct Case {
    std::string settings;
    speed_t speed;
    bool twoStopBits;
  };
  const Case cases[] = {
      {kMeterSettings, B9600, false},
      {std::string("baud=1200 parity=e data=7 stop=2\0", 33), B1200, true},
      // Names only the speed: the stop bits stay as they were.
      {std::string("baud=4800\0", 10), B4800, true},
      // Cannot be read, or refused as a whole: nothing changes.
      {std::string("baud=9600 parity=x\0", 19), B2400, true},
      {std::string("baud=9601\0", 10), B2400, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    // The port as an earlier user left it: slow, two stop bits, cooked.
    termios before;
    tcgetattr(line.Device(), &before);
    cfsetispeed(&before, B2400);
    cfsetospeed(&before, B2400);
    before.c_cflag |= CSTOPB;
    before.c_cflag &= ~static_cast<tcflag_t>(CLOCAL);
    before.c_lflag |= ECHO | ICANON | ISIG;
    before.c_iflag |= ICRNL | IXON;
    before.c_oflag |= OPOST | ONLCR;
    tcsetattr(line.Device(), TCSANOW, &before);

    AssignCountedText(PortSettings, c.settings);
    OpenPort();
    termios after;
    tcgetattr(line.Device(), &after);
    EXPECT_EQ(cfgetospeed(&after), c.speed);
    EXPECT_EQ((after.c_cflag & CSTOPB) != 0, c.twoStopBits);
    // Raw whatever the settings text says.
    EXPECT_EQ(after.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(after.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(after.c_oflag & OPOST, 0u);
    EXPECT_NE(after.c_cflag & CLOCAL, 0u);
    ClosePort();
  }
}

TEST_F(SerialLink, HoldsThePortExclusivelyUntilTheClose) {
  int exclusive = -1;
  // Emulators such as qemu-user do not pass this query on to the kernel.
  if (ioctl(line.Device(), TIOCGEXCL, &exclusive) != 0) {
    GTEST_SKIP() << "the exclusive mode cannot be queried here: "
                 << std::strerror(errno);
  }
  OpenPort();
  ASSERT_EQ(ioctl(line.Device(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1);
  EXPECT_TRUE(ClosePort());
  ASSERT_EQ(ioctl(line.Device(), TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0) << "the device stays exclusive after the close";
  EXPECT_FALSE(ClosePort()) << "nothing open to close";
}

// Signals that interrupt the waits many times a second.
class SignalStorm {
 public:
  SignalStorm() {
    struct sigaction interrupt {};
    interrupt.sa_handler = [](int) {};
    sigaction(SIGALRM, &interrupt, &saved_);  // no SA_RESTART
    const itimerval every2ms{{0, 2000}, {0, 2000}};
    setitimer(ITIMER_REAL, &every2ms, nullptr);
  }
  ~SignalStorm() {
    const itimerval off{};
    setitimer(ITIMER_REAL, &off, nullptr);
    sigaction(SIGALRM, &saved_, nullptr);
  }

 private:
  struct sigaction saved_ {};
};

TEST_F(SerialLink, InterruptedWaitsGoOn) {
  SignalStorm storm;
  OpenPort();
  milliseconds took{};
  EXPECT_EQ(Receive(took), "");
  EXPECT_GE(took.count(), TimeoutMs) << "a signal ended the wait early";

  TimeoutMs = kLongLimitMs;
  std::thread meter([this] {
    std::this_thread::sleep_for(milliseconds(100));
    line.Write("abc\r");
  });
  EXPECT_EQ(Receive(took), "abc");
  meter.join();
}

// A tick clock that stands just before its wrap when the test starts.
std::atomic<std::uint32_t> TickOffset{0};
std::uint32_t WrappingClock() { return TickCount() + TickOffset.load(); }

// ReceiveLine in another thread, so that a wait that never ends fails the
// test instead of hanging it.
std::string ReceiveWithin(milliseconds limit, milliseconds& took) {
  auto result = std::async(std::launch::async, [&took] {
    CountedText received;
    const auto start = Clock::now();
    ReceiveLine(received);
    took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    return std::string(View(received));
  });
  if (result.wait_for(limit) != std::future_status::ready) {
    std::fprintf(stderr, "ReceiveLine did not end within %lld ms\n",
                 static_cast<long long>(limit.count()));
    std::_Exit(1);
  }
  return result.get();
}

TEST_F(SerialLink, TickWrapNeitherEndsNorLengthensTheWait) {
  SetReceiveLineClock(WrappingClock);
  OpenPort();
  // The counter wraps 50 ms into the wait.
  TickOffset = 0xFFFFFFFFu - 50u - TickCount();
  milliseconds took{};
  EXPECT_EQ(ReceiveWithin(milliseconds(20000), took), "");
  EXPECT_GE(took.count(), TimeoutMs) << "the wrap ended the wait";

  // A line that comes after the wrap is received.
  TimeoutMs = 1000;
  TickOffset = 0xFFFFFFFFu - 50u - TickCount();
  std::thread meter([this] {
    std::this_thread::sleep_for(milliseconds(150));
    line.Write("7.01\r");
  });
  EXPECT_EQ(ReceiveWithin(milliseconds(20000), took), "7.01");
  meter.join();
}

TEST_F(SerialLink, VanishedDeviceGivesTheEmptyLineAtTheLimit) {
  OpenPort();
  SendText(Text("?RD pH\r"));
  std::thread meter([this] {
    line.Write("pH:  7");
    std::this_thread::sleep_for(milliseconds(30));
    line.HangUp();
  });
  milliseconds took{};
  EXPECT_EQ(Receive(took), "");
  EXPECT_GE(took.count(), TimeoutMs);
  EXPECT_LE(ClockReadings, 6 + kClockReadingsOfAWait) << "busy wait";
  meter.join();
  // The port is gone; using it further changes nothing.
  SendText(Text("?RD pH\r"));
  EXPECT_EQ(BytesWaiting(), 0);
  EXPECT_EQ(Receive(took), "");
  EXPECT_GE(took.count(), TimeoutMs);
  EXPECT_LE(ClockReadings, kClockReadingsOfAWait) << "busy wait";
}

TEST_F(SerialLink, UnopenablePortGivesTheEmptyLineAfterTheFullWait) {
  struct Case {
    const char* name;
    const char* com2Device;  // nullptr: COM2_DEVICE not set
  };
  const Case cases[] = {
      {"/nonexistent/tty", nullptr},
      {"com2:", "/nonexistent/meter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AssignCountedText(PortName, c.name);
    if (c.com2Device != nullptr) setenv("COM2_DEVICE", c.com2Device, 1);
    OpenPort();
    SendText(Text("?RD pH\r"));
    EXPECT_EQ(BytesWaiting(), 0);
    milliseconds took{};
    EXPECT_EQ(Receive(took), "");
    EXPECT_GE(took.count(), TimeoutMs);
    EXPECT_LE(ClockReadings, kClockReadingsOfAWait) << "busy wait";
    EXPECT_FALSE(ClosePort());
    unsetenv("COM2_DEVICE");
  }
}

TEST_F(SerialLink, OpensTheDeviceThatThePortNameNames) {
  setenv("COM2_DEVICE", line.Path().c_str(), 1);
  // The name ends at its first NUL, as a zero-terminated copy does.
  for (const std::string& name :
       {std::string("com2:"), std::string("COM2"), line.Path() + '\0' + "x"}) {
    SCOPED_TRACE(name);
    AssignCountedText(PortName, name);
    TimeoutMs = kLongLimitMs;
    OpenPort();
    SendText(Text("?RD t\r"));
    EXPECT_EQ(line.Read(6, milliseconds(5000)), "?RD t\r");
    line.Write("t:  25C\r");
    milliseconds took{};
    EXPECT_EQ(Receive(took), "t:  25C");
    ClosePort();
  }
  unsetenv("COM2_DEVICE");
}

// Run with its standard streams closed, the program must not get the port
// on descriptor 0, 1 or 2: a result line written on standard output would go
// to the meter.
TEST_F(SerialLink, PortNeverTakesAStandardStreamDescriptor) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(STDIN_FILENO);
    close(STDOUT_FILENO);
    close(STDERR_FILENO);
    OpenPort();
    int taken = 0;
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
      if (fcntl(descriptor, F_GETFD) != -1) ++taken;
    }
    SendText(Text("child\r"));
    ClosePort();
    _exit(taken);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "standard descriptors taken";
  EXPECT_EQ(line.Read(6, milliseconds(5000)), "child\r");
}

}  // namespace
