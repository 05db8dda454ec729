// The whole meter query (open, query, reply line, close, cut, read) over a
// scripted serial device and a simulated millisecond clock, so that any
// reply with any timing runs in microseconds.
//
// Input: the first byte picks the channel; then pairs of bytes, the first
// giving the gap before the next reply byte (in steps of 8 ms, 0 to 2040
// ms) and the second the byte itself.
//
// Properties:
// - the port is opened once, the channel's query (nothing for a channel not
//   served) is written once, and the port is closed;
// - the reply line is the bytes before the first CR, when that CR is among
//   the first 255 bytes that arrived within the one-second limit, and empty
//   otherwise; the result is that line cut by the channel's rule and read
//   whole, or -777 (always -777 for a channel not served);
// - the query ends when the CR arrives, or just after the limit;
// - waiting never polls: the device is asked for its waiting bytes a
//   bounded number of times per byte that arrives.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "driver/ph_meter.h"
#include "fuzz_checks.h"
#include "main/failure.h"
#include "numbers/extended.h"
#include "numbers/parse_reading.h"
#include "numbers/rounding.h"
#include "platform/serial_device.h"
#include "ucommw32/ucommw32.h"

namespace {

constexpr std::uint32_t kLimitMs = 1000;
constexpr std::int32_t kChannels[] = {0, 1, 2, -1, 3, 11};

struct Arrival {
  std::uint32_t atMs;
  char byte;
};

// The scripted device and its clock.
struct Script {
  std::vector<Arrival> arrivals;
  std::size_t nextToRead = 0;
  std::uint32_t nowMs = 0;
  int opens = 0;
  int closes = 0;
  bool open = false;
  std::string written;
  std::size_t inputCountCalls = 0;
};
Script script;

std::size_t ArrivedCount() {
  std::size_t arrived = 0;
  while (arrived < script.arrivals.size() &&
         script.arrivals[arrived].atMs <= script.nowMs) {
    ++arrived;
  }
  return arrived;
}

std::uint32_t ScriptClock() { return script.nowMs; }

}  // namespace

// The serial device seam, played from the script.
SerialDevice OpenSerialDevice(const char*, std::uint32_t) {
  ++script.opens;
  script.open = true;
  return SerialDevice{1, false};
}

bool ApplyLineSettings(SerialDevice&, const LineSettings&) { return true; }

std::size_t WriteSerialDevice(SerialDevice&, const char* bytes,
                              std::size_t count, std::uint32_t) {
  script.written.append(bytes, count);
  return count;
}

std::uint32_t SerialInputCount(SerialDevice&) {
  ++script.inputCountCalls;
  return static_cast<std::uint32_t>(ArrivedCount() - script.nextToRead);
}

std::size_t ReadSerialDevice(SerialDevice&, char* into, std::size_t count) {
  std::size_t read = 0;
  while (read < count && script.nextToRead < ArrivedCount()) {
    into[read++] = script.arrivals[script.nextToRead++].byte;
  }
  return read;
}

void WaitForSerialInput(SerialDevice&, std::uint32_t timeoutMs) {
  if (ArrivedCount() > script.nextToRead) return;
  const std::uint32_t until = script.nowMs + timeoutMs;
  if (ArrivedCount() < script.arrivals.size()) {
    script.nowMs = std::min(until, script.arrivals[ArrivedCount()].atMs);
  } else {
    script.nowMs = until;
  }
}

bool CloseSerialDevice(SerialDevice& device) {
  ++script.closes;
  script.open = false;
  device.handle = -1;
  return true;
}

namespace {

std::string_view QueryOf(std::int32_t channel) {
  switch (channel) {
    case 0:
      return "?RD pH\r";
    case 1:
      return "?RD mV\r";
    case 2:
      return "?RD t\r";
    default:
      return "";
  }
}

// 1-based positions first..first+count-1, clipped.
std::string Positions(const std::string& line, std::size_t first,
                      std::size_t count) {
  if (line.size() < first) return {};
  return line.substr(first - 1, count);
}

std::string ExpectedCut(const std::string& line, std::int32_t channel) {
  switch (channel) {
    case 0: {
      const std::size_t point = line.find('.');
      if (point == std::string::npos || point + 1 <= 4) return line;
      return Positions(line, point + 1 - 2, 5);
    }
    case 1:
      return Positions(line, 5, 4);
    case 2:
      return Positions(line, 5, 2);
    default:
      return line;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  PutFloatControlInForce();
  SetReceiveLineClock(ScriptClock);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::int32_t channel =
      kChannels[data[0] % (sizeof kChannels / sizeof kChannels[0])];
  script = Script{};
  std::uint32_t at = 0;
  for (std::size_t i = 1; i + 1 < size; i += 2) {
    at += data[i] * 8u;
    script.arrivals.push_back({at, static_cast<char>(data[i + 1])});
  }
  // A byte arriving right at the limit may be taken or not, depending on
  // where in its loop the reader looks at the clock: leave those out.
  for (const Arrival& arrival : script.arrivals) {
    if (arrival.atMs >= kLimitMs - 8 && arrival.atMs <= kLimitMs + 8) return 0;
  }

  // The line the rules define: the first 255 bytes in time, up to a CR.
  std::string kept;
  std::uint32_t lineEndAt = 0;
  bool lineEnded = false;
  for (const Arrival& arrival : script.arrivals) {
    if (arrival.atMs > kLimitMs || kept.size() == 255) break;
    kept.push_back(arrival.byte);
    if (arrival.byte == '\r') {
      lineEnded = true;
      lineEndAt = arrival.atMs;
      break;
    }
  }
  const std::string line = lineEnded ? kept.substr(0, kept.size() - 1) : "";
  const std::string context = "channel " + std::to_string(channel) +
                              ", line \"" + Printable(line) + "\"";

  double expected = -777.0;
  bool expectOverflow = false;
  try {
    const ParsedReading reading = ParseReading(ExpectedCut(line, channel));
    const double value = RoundToDouble(reading.value);
    if (reading.errorPosition == 0 && channel >= 0 && channel <= 2) {
      expected = value;
    }
  } catch (const Failure&) {
    expectOverflow = true;
  }

  double result = 0;
  bool overflowed = false;
  try {
    result = QueryPhMeter(channel);
  } catch (const Failure& failure) {
    if (std::strcmp(failure.kindName, "EOverflow") != 0) {
      Violated("the query raises only EOverflow", input, failure.kindName);
    }
    overflowed = true;
  }
  if (overflowed != expectOverflow) {
    Violated("EOverflow exactly for a reading beyond the double range", input,
             context);
  }
  if (!overflowed && std::memcmp(&result, &expected, sizeof result) != 0) {
    Violated("the reading is the cut line read whole, or -777", input,
             context + ": got " + DescribeDouble(result) + ", expected " +
                 DescribeDouble(expected));
  }
  if (script.opens != 1 || script.closes < 1 || script.open) {
    Violated("the port is opened once and closed", input, context);
  }
  if (script.written != QueryOf(channel)) {
    Violated("the channel's query is written once", input,
             "written \"" + Printable(script.written) + "\"");
  }
  const std::uint32_t endedAt = script.nowMs;
  if (lineEnded ? endedAt != lineEndAt
                : (endedAt <= kLimitMs || endedAt > kLimitMs + 2)) {
    Violated("the query ends at the CR or just after the limit", input,
             context + ", ended at " + std::to_string(endedAt) + " ms");
  }
  if (script.inputCountCalls > 2 * script.nextToRead + 8) {
    Violated("waiting never polls", input,
             std::to_string(script.inputCountCalls) + " polls for " +
                 std::to_string(script.nextToRead) + " bytes");
  }
  return 0;
}
