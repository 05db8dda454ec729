#include "platform/trace_output.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

enum class TraceState { NotRead, Off, On };

TraceState traceState = TraceState::NotRead;
std::uint64_t traceStartUs = 0;

std::uint64_t MonotonicMicroseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000u +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

bool AskedToTrace(const char* value) {
  return value != nullptr && value[0] != '\0' &&
         !(value[0] == '0' && value[1] == '\0');
}

// The whole line in as few writes as standard error takes; a write that
// fails drops the rest.
void WriteWhole(const std::string& line) {
  const char* bytes = line.data();
  std::size_t count = line.size();
  while (count > 0) {
    const ssize_t written = write(STDERR_FILENO, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
}

}  // namespace

bool TraceEnabled() {
  if (traceState == TraceState::NotRead) {
    traceState = AskedToTrace(std::getenv("PHM210_TRACE")) ? TraceState::On
                                                           : TraceState::Off;
    traceStartUs = MonotonicMicroseconds();
    // A standard error whose reader went away must not end the run with a
    // signal. Standard output ignores the signal anyway before its first
    // write, and nothing else in the program writes to a pipe.
    if (traceState == TraceState::On) std::signal(SIGPIPE, SIG_IGN);
  }
  return traceState == TraceState::On;
}

void TraceLine(const char* format, ...) {
  if (!TraceEnabled()) return;
  // Integer arithmetic only: the trace must not touch the floating-point
  // state that the readings depend on.
  const std::uint64_t elapsedUs = MonotonicMicroseconds() - traceStartUs;
  char prefix[48];
  std::snprintf(prefix, sizeof prefix, "phm210 %6llu.%03u ms  ",
                static_cast<unsigned long long>(elapsedUs / 1000),
                static_cast<unsigned>(elapsedUs % 1000));
  std::string line = prefix;

  va_list arguments;
  va_start(arguments, format);
  va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  if (length > 0) {
    const std::size_t start = line.size();
    line.resize(start + static_cast<std::size_t>(length) + 1);
    std::vsnprintf(line.data() + start, static_cast<std::size_t>(length) + 1,
                   format, arguments);
    line.resize(start + static_cast<std::size_t>(length));
  }
  va_end(arguments);
  line += '\n';
  WriteWhole(line);
}
