#include "ucommw32/ucommw32.h"

#include <string>
#include <string_view>

#include "platform/serial_device.h"
#include "platform/tick_clock.h"
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
  PortDevice = OpenSerialDevice(ZeroTerminated(PortName).c_str(), TimeoutMs);
  LineSettings settings;
  if (ParseLineSettings(View(PortSettings), settings)) {
    ApplyLineSettings(PortDevice, settings);
  }
}

void SendText(const CountedText& text) {
  WriteSerialDevice(PortDevice, text.bytes, text.length, TimeoutMs);
}

std::uint16_t BytesWaiting() {
  return static_cast<std::uint16_t>(SerialInputCount(PortDevice));
}

void ReceiveLine(CountedText& line) {
  CountedText received;
  const std::uint32_t start = ReceiveLineClock();
  for (;;) {
    const bool bytesWaiting = SerialInputCount(PortDevice) > 0;
    if (bytesWaiting) {
      // One byte at a time, so that nothing after the CR is taken.
      char byte = 0;
      const bool gotByte = ReadSerialDevice(PortDevice, &byte, 1) == 1;
      if (gotByte && received.length < kCountedTextCapacity) {
        received.bytes[received.length++] = byte;
      }
      if (received.length > 0 &&
          received.bytes[received.length - 1] == kLineEnd) {
        break;
      }
    }
    // Unsigned difference: a wrap of the tick counter neither ends nor
    // lengthens the wait.
    const std::uint32_t elapsed = ReceiveLineClock() - start;
    if (elapsed > TimeoutMs) break;
    if (!bytesWaiting) WaitForSerialInput(PortDevice, TimeoutMs - elapsed + 1);
  }
  const std::string_view text = View(received);
  const std::size_t lineEnd = text.find(kLineEnd);
  AssignCountedText(line, lineEnd == std::string_view::npos
                              ? std::string_view()
                              : text.substr(0, lineEnd));
}

bool ClosePort() { return CloseSerialDevice(PortDevice); }
