#include "ucommw32/ucommw32.h"

#include <string>
#include <string_view>

#include "platform/serial_device.h"
#include "platform/tick_clock.h"
#include "platform/trace_output.h"
#include "ucommw32/line_settings_text.h"

namespace {

constexpr char kLineEnd = '\r';

SerialDevice PortDevice;
TickSource ReceiveLineClock = TickCount;

CountedText InitialText(std::string_view bytes) {
  CountedText text;
  AssignCountedText(text, bytes);
  return text;
}

// The bytes of a counted text up to its first NUL, as the zero-terminated
// string that the operating system takes.
std::string ZeroTerminated(const CountedText& text) {
  const std::string_view bytes = View(text);
  return std::string(bytes.substr(0, bytes.find('\0')));
}

const char* ParityName(Parity parity) {
  switch (parity) {
    case Parity::None:
      return "none";
    case Parity::Even:
      return "even";
    case Parity::Odd:
      return "odd";
    case Parity::Mark:
      return "mark";
    case Parity::Space:
      return "space";
  }
  return "?";
}

const char* StopBitsName(StopBits stopBits) {
  switch (stopBits) {
    case StopBits::One:
      return "1";
    case StopBits::OneAndHalf:
      return "1.5";
    case StopBits::Two:
      return "2";
  }
  return "?";
}

// The settings that a settings text names; the others stay as they are.
std::string SettingsDescription(const LineSettings& settings) {
  std::string text;
  const auto add = [&text](const std::string& part) {
    text += text.empty() ? part : ", " + part;
  };
  if (settings.baudRate) add(std::to_string(*settings.baudRate) + " baud");
  if (settings.parity)
    add(std::string("parity ") + ParityName(*settings.parity));
  if (settings.dataBits) add(std::to_string(*settings.dataBits) + " data bits");
  if (settings.stopBits) {
    const bool one = *settings.stopBits == StopBits::One;
    add(std::string(StopBitsName(*settings.stopBits)) +
        (one ? " stop bit" : " stop bits"));
  }
  return text.empty() ? "nothing" : text;
}

// Bytes taken from the port in one go, shown as one trace line when the
// reading pauses or ends, so that the trace shows how the reply arrived.
void TraceReceived(std::string& bytes) {
  if (bytes.empty()) return;
  TraceLine("received %u byte%s %s", static_cast<unsigned>(bytes.size()),
            bytes.size() == 1 ? "" : "s", TraceQuoted(bytes).c_str());
  bytes.clear();
}

}  // namespace

CountedText PortName = InitialText("Com1:");
CountedText PortSettings =
    InitialText(std::string_view("baud=1200 parity=e data=7 stop=1\0", 33));
std::uint16_t TimeoutMs = 1000;

void SetReceiveLineClock(TickSource clock) {
  ReceiveLineClock = clock != nullptr ? clock : TickCount;
}

void OpenPort() {
  // A port still open from before would otherwise stay held by this process.
  if (IsOpen(PortDevice)) CloseSerialDevice(PortDevice);
  if (TraceEnabled()) {
    TraceLine("opening port %s, settings %s, time limit %u ms",
              TraceQuoted(View(PortName)).c_str(),
              TraceQuoted(View(PortSettings)).c_str(),
              static_cast<unsigned>(TimeoutMs));
  }
  PortDevice = OpenSerialDevice(ZeroTerminated(PortName).c_str(), TimeoutMs);
  LineSettings settings;
  if (ParseLineSettings(View(PortSettings), settings)) {
    if (TraceEnabled() && IsOpen(PortDevice)) {
      TraceLine("applying line settings: %s",
                SettingsDescription(settings).c_str());
    }
    if (!ApplyLineSettings(PortDevice, settings) && TraceEnabled()) {
      TraceLine("line settings %s: not applied%s",
                SettingsDescription(settings).c_str(),
                IsOpen(PortDevice) ? "" : ", the port is not open");
    }
  } else {
    TraceLine("the settings text cannot be read: no setting changed");
  }
}

void SendText(const CountedText& text) {
  const std::size_t taken =
      WriteSerialDevice(PortDevice, text.bytes, text.length, TimeoutMs);
  if (!TraceEnabled()) return;
  if (!IsOpen(PortDevice)) {
    TraceLine("nothing sent, the port is not open: %s",
              TraceQuoted(View(text)).c_str());
  } else if (taken == text.length) {
    TraceLine("sent %u bytes %s", static_cast<unsigned>(taken),
              TraceQuoted(View(text)).c_str());
  } else {
    TraceLine("sent only %u of %u bytes %s", static_cast<unsigned>(taken),
              static_cast<unsigned>(text.length),
              TraceQuoted(View(text)).c_str());
  }
}

std::uint16_t BytesWaiting() {
  return static_cast<std::uint16_t>(SerialInputCount(PortDevice));
}

void ReceiveLine(CountedText& line) {
  const bool tracing = TraceEnabled();
  std::string traceBytes;  // read but not yet traced
  std::size_t dropped = 0;
  CountedText received;
  const std::uint32_t start = ReceiveLineClock();
  std::uint32_t elapsed = 0;
  for (;;) {
    const bool bytesWaiting = SerialInputCount(PortDevice) > 0;
    if (bytesWaiting) {
      // One byte at a time, so that nothing after the CR is taken.
      char byte = 0;
      const bool gotByte = ReadSerialDevice(PortDevice, &byte, 1) == 1;
      if (gotByte && tracing) traceBytes += byte;
      if (gotByte && received.length < kCountedTextCapacity) {
        received.bytes[received.length++] = byte;
      } else if (gotByte) {
        ++dropped;
      }
      if (received.length > 0 &&
          received.bytes[received.length - 1] == kLineEnd) {
        break;
      }
    }
    // Unsigned difference: a wrap of the tick counter neither ends nor
    // lengthens the wait.
    elapsed = ReceiveLineClock() - start;
    if (elapsed > TimeoutMs) break;
    if (!bytesWaiting) {
      if (tracing) TraceReceived(traceBytes);
      WaitForSerialInput(PortDevice, TimeoutMs - elapsed + 1);
    }
  }
  const std::string_view text = View(received);
  const std::size_t lineEnd = text.find(kLineEnd);
  AssignCountedText(line, lineEnd == std::string_view::npos
                              ? std::string_view()
                              : text.substr(0, lineEnd));
  if (!tracing) return;
  TraceReceived(traceBytes);
  if (dropped > 0) {
    TraceLine("%u bytes dropped: a line holds at most %u bytes",
              static_cast<unsigned>(dropped),
              static_cast<unsigned>(kCountedTextCapacity));
  }
  if (lineEnd != std::string_view::npos) {
    TraceLine("reply line %s (%u bytes before the CR)",
              TraceQuoted(View(line)).c_str(),
              static_cast<unsigned>(line.length));
  } else if (received.length == 0) {
    TraceLine(
        "no byte came within the time limit of %u ms: the reply is "
        "empty",
        static_cast<unsigned>(TimeoutMs));
  } else {
    TraceLine(
        "no CR came within the time limit of %u ms (%u bytes came): the "
        "reply is empty",
        static_cast<unsigned>(TimeoutMs),
        static_cast<unsigned>(received.length + dropped));
  }
}

bool ClosePort() {
  const bool wasOpen = IsOpen(PortDevice);
  const bool closed = CloseSerialDevice(PortDevice);
  if (wasOpen) TraceLine("port closed%s", closed ? "" : " (the close failed)");
  return closed;
}
