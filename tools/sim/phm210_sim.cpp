// phm210-sim: a simulated PHM210 pH meter on a pseudo-terminal, for tests and
// for development against the driver without the instrument. See --help.

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <string>

#include "byte_escapes.h"
#include "meter_dialogue.h"
#include "sim_options.h"

namespace {

volatile std::sig_atomic_t StopRequested = 0;

void RequestStop(int) { StopRequested = 1; }

std::int64_t MonotonicNs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Outgoing {
  std::int64_t notBeforeNs = 0;
  std::string bytes;
  bool hangUpWhenSent = false;
};

struct Line {
  int master = -1;
  int slave = -1;  // kept open so that the master never sees a hang-up
  std::string slavePath;
};

struct Simulator {
  SimOptions options;
  MeterState meter;
  Line line;
  std::FILE* log = nullptr;
  std::string received;  // bytes of the line being received
  std::deque<Outgoing> outgoing;
  std::string streamText;  // empty: not streaming
  std::int64_t nextByteNs = 0;
  bool outputBlocked = false;
  bool hungUp = false;
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "phm210-sim: %s: %s\n", what, std::strerror(errno));
  std::exit(1);
}

Line OpenPseudoTerminal() {
  Line line;
  line.master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (line.master < 0 || grantpt(line.master) != 0 ||
      unlockpt(line.master) != 0) {
    Fail("posix_openpt");
  }
  line.slavePath = ptsname(line.master);
  line.slave = open(line.slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (line.slave < 0) Fail("open terminal");
  // Raw from the start: with echo on, the terminal would send the meter's
  // own answers back to it as if they were queries.
  termios settings;
  tcgetattr(line.slave, &settings);
  cfmakeraw(&settings);
  cfsetispeed(&settings, B9600);
  cfsetospeed(&settings, B9600);
  tcsetattr(line.slave, TCSANOW, &settings);
  fcntl(line.master, F_SETFL, fcntl(line.master, F_GETFL) | O_NONBLOCK);
  return line;
}

void MakeLink(const std::string& linkPath, const std::string& target) {
  struct stat status;
  if (lstat(linkPath.c_str(), &status) == 0) {
    if (!S_ISLNK(status.st_mode)) {
      errno = EEXIST;
      Fail(linkPath.c_str());
    }
    unlink(linkPath.c_str());
  }
  if (symlink(target.c_str(), linkPath.c_str()) != 0) Fail(linkPath.c_str());
}

void RemoveLink(const std::string& linkPath, const std::string& target) {
  if (linkPath.empty()) return;
  char pointsTo[4096];
  const ssize_t length = readlink(linkPath.c_str(), pointsTo, sizeof pointsTo);
  // Only our own link: another simulator may have taken the place since.
  if (length > 0 &&
      std::string(pointsTo, static_cast<std::size_t>(length)) == target) {
    unlink(linkPath.c_str());
  }
}

void LogLine(Simulator& sim, const std::string& bytes) {
  if (sim.log == nullptr) return;
  std::fprintf(sim.log, "%s\n", EscapeBytes(bytes).c_str());
  std::fflush(sim.log);
}

void Answer(Simulator& sim, const std::string& query) {
  const int channel = QueriedChannel(query);
  if (channel < 0 || sim.options.silent) return;
  const std::string text = AnswerText(sim.options, sim.meter, channel);
  Outgoing answer;
  answer.notBeforeNs =
      MonotonicNs() + static_cast<std::int64_t>(sim.options.delayMs) * 1000000;
  if (sim.options.stream) {
    // The stream starts again with the new answer.
    sim.outgoing.clear();
    sim.streamText = text;
    answer.bytes = sim.options.echo ? query + "\r" : std::string();
  } else {
    answer.bytes = AnswerBytes(sim.options, query, text);
  }
  if (sim.options.hangUpAfter) {
    answer.bytes.resize(
        std::min(answer.bytes.size(), *sim.options.hangUpAfter));
    answer.hangUpWhenSent = true;
  }
  sim.outgoing.push_back(answer);
}

void TakeReceivedBytes(Simulator& sim, const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    sim.received.push_back(bytes[i]);
    if (bytes[i] != '\r') continue;
    LogLine(sim, sim.received);
    std::string query;
    for (const char c : sim.received) {
      if (c != '\r' && c != '\n') query.push_back(c);
    }
    sim.received.clear();
    Answer(sim, query);
  }
}

void ReadQueries(Simulator& sim) {
  char chunk[512];
  for (;;) {
    const ssize_t count = read(sim.line.master, chunk, sizeof chunk);
    if (count > 0) {
      TakeReceivedBytes(sim, chunk, static_cast<std::size_t>(count));
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    return;  // EAGAIN: all read
  }
}

// Writes what is due now. Returns when nothing more is due or the terminal
// takes no more.
void SendDueBytes(Simulator& sim) {
  const std::int64_t byteTimeNs =
      static_cast<std::int64_t>(sim.options.byteTimeUs) * 1000;
  while (!sim.hungUp) {
    if (sim.outgoing.empty() && !sim.streamText.empty()) {
      sim.outgoing.push_back(Outgoing{0, sim.streamText, false});
    }
    if (sim.outgoing.empty()) return;
    Outgoing& front = sim.outgoing.front();
    const std::int64_t now = MonotonicNs();
    if (now < std::max(front.notBeforeNs, sim.nextByteNs)) return;
    if (!front.bytes.empty()) {
      const std::size_t count = byteTimeNs > 0 ? 1 : front.bytes.size();
      const ssize_t written = write(sim.line.master, front.bytes.data(), count);
      if (written < 0) {
        if (errno == EINTR) continue;
        sim.outputBlocked = errno == EAGAIN;
        return;
      }
      front.bytes.erase(0, static_cast<std::size_t>(written));
      if (byteTimeNs > 0) {
        // Keep the average pace, but do not rush to catch up after a stall.
        sim.nextByteNs = std::max(sim.nextByteNs + byteTimeNs, now);
      }
    }
    if (front.bytes.empty()) {
      if (front.hangUpWhenSent) {
        sim.hungUp = true;
        return;
      }
      sim.outgoing.pop_front();
    }
  }
}

void Run(Simulator& sim, const sigset_t& waitMask, pid_t parent) {
  while (StopRequested == 0 && !sim.hungUp) {
    if (getppid() != parent) return;
    SendDueBytes(sim);
    if (sim.hungUp) return;
    pollfd master{sim.line.master, POLLIN, 0};
    if (sim.outputBlocked) master.events |= POLLOUT;
    timespec timeout{};
    const timespec* limit = nullptr;
    if (!sim.outgoing.empty() && !sim.outputBlocked) {
      const std::int64_t due =
          std::max(sim.outgoing.front().notBeforeNs, sim.nextByteNs);
      const std::int64_t left = std::max<std::int64_t>(0, due - MonotonicNs());
      timeout.tv_sec = static_cast<time_t>(left / 1000000000);
      timeout.tv_nsec = static_cast<long>(left % 1000000000);
      limit = &timeout;
    }
    if (ppoll(&master, 1, limit, &waitMask) < 0) continue;  // a signal
    if (master.revents & POLLOUT) sim.outputBlocked = false;
    if (master.revents & POLLIN) ReadQueries(sim);
  }
}

}  // namespace

int main(int argumentCount, char** arguments) {
  Simulator sim;
  std::string error;
  if (!ParseSimOptions(argumentCount - 1, arguments + 1, sim.options, error)) {
    std::fprintf(stderr, "phm210-sim: %s\nTry 'phm210-sim --help'.\n",
                 error.c_str());
    return 2;
  }
  if (sim.options.help) {
    std::fputs(SimHelpText(), stdout);
    return 0;
  }
  sim.meter.random.seed(
      sim.options.seed ? *sim.options.seed
                       : static_cast<std::uint32_t>(MonotonicNs() ^ getpid()));

  // The stop signals are only taken while waiting, so that they never cut a
  // write or a log line in half.
  const pid_t parent = getppid();
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    sigaddset(&stopSignals, signal);
  }
  sigset_t waitMask;
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  struct sigaction stop {};
  stop.sa_handler = RequestStop;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    sigaction(signal, &stop, nullptr);
  }
  std::signal(SIGPIPE, SIG_IGN);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) return 0;  // the parent ended before prctl

  if (!sim.options.logPath.empty()) {
    sim.log = std::fopen(sim.options.logPath.c_str(), "w");
    if (sim.log == nullptr) Fail(sim.options.logPath.c_str());
  }
  sim.line = OpenPseudoTerminal();
  if (!sim.options.linkPath.empty()) {
    MakeLink(sim.options.linkPath, sim.line.slavePath);
  }
  std::printf("%s\n", sim.line.slavePath.c_str());
  std::fflush(stdout);

  Run(sim, waitMask, parent);

  // Closing the master is what a driver sees as the line going away.
  close(sim.line.master);
  close(sim.line.slave);
  RemoveLink(sim.options.linkPath, sim.line.slavePath);
  if (!sim.received.empty()) LogLine(sim, sim.received);
  if (sim.log != nullptr) std::fclose(sim.log);
  return 0;
}
