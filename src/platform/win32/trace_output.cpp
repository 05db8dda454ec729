#include "platform/trace_output.h"

#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

enum class TraceState { NotRead, Off, On };

TraceState traceState = TraceState::NotRead;
std::uint64_t traceStartUs = 0;

std::uint64_t CounterMicroseconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
      !QueryPerformanceCounter(&counter)) {
    return static_cast<std::uint64_t>(GetTickCount()) * 1000u;
  }
  const auto ticks = static_cast<std::uint64_t>(counter.QuadPart);
  const auto perSecond = static_cast<std::uint64_t>(frequency.QuadPart);
  // Split so that the product cannot overflow for any uptime.
  return ticks / perSecond * 1000000u +
         ticks % perSecond * 1000000u / perSecond;
}

bool AskedToTrace() {
  char value[8];
  const DWORD length =
      GetEnvironmentVariableA("PHM210_TRACE", value, sizeof value);
  // 0: not set, or empty. A value too long for the buffer is no "0".
  if (length == 0) return false;
  if (length >= sizeof value) return true;
  return !(length == 1 && value[0] == '0');
}

void WriteWhole(const std::string& line) {
  const HANDLE errorOutput = GetStdHandle(STD_ERROR_HANDLE);
  if (errorOutput == nullptr || errorOutput == INVALID_HANDLE_VALUE) return;
  const char* bytes = line.data();
  std::size_t count = line.size();
  while (count > 0) {
    DWORD written = 0;
    if (!WriteFile(errorOutput, bytes, static_cast<DWORD>(count), &written,
                   nullptr) ||
        written == 0) {
      return;
    }
    bytes += written;
    count -= written;
  }
}

}  // namespace

bool TraceEnabled() {
  if (traceState == TraceState::NotRead) {
    traceState = AskedToTrace() ? TraceState::On : TraceState::Off;
    traceStartUs = CounterMicroseconds();
  }
  return traceState == TraceState::On;
}

void TraceLine(const char* format, ...) {
  if (!TraceEnabled()) return;
  // Integer arithmetic only: the trace must not touch the floating-point
  // state that the readings depend on.
  const std::uint64_t elapsedUs = CounterMicroseconds() - traceStartUs;
  char prefix[48];
  std::snprintf(prefix, sizeof prefix, "phm210 %6lu.%03u ms  ",
                static_cast<unsigned long>(elapsedUs / 1000),
                static_cast<unsigned>(elapsedUs % 1000));
  std::string line = prefix;

  // A fixed buffer, large enough for every trace line (a reply line of 255
  // bytes, each escaped in four), also where the run-time library's
  // vsnprintf cannot measure a text first; a longer line is cut.
  char text[4096];
  text[0] = '\0';
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  text[sizeof text - 1] = '\0';
  line += text;
  // A Windows console and its tools expect CR LF.
  line += "\r\n";
  WriteWhole(line);
}
