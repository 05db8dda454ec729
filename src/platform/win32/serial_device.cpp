#include "platform/serial_device.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/tick_clock.h"
#include "platform/win32/port_name.h"

namespace {

// Pause between two attempts to open a port that another process holds:
// short against the one-second reply limit, long enough not to load the
// machine.
constexpr DWORD kRetryPauseMs = 5;

// Queue sizes the driver is asked for, in bytes each way.
constexpr DWORD kQueueBytes = 256;

// A wait for input is a one-byte read that returns as soon as a byte arrives
// or when its time is up. The byte it may bring is kept here until it is
// read, and counts among the waiting bytes.
struct LookAhead {
  std::intptr_t handle = -1;
  bool held = false;
  char byte = 0;
};

LookAhead lookAhead;

HANDLE Handle(const SerialDevice& device) {
  return reinterpret_cast<HANDLE>(device.handle);
}

bool Usable(const SerialDevice& device) {
  return IsOpen(device) && !device.lost;
}

bool HoldsLookAhead(const SerialDevice& device) {
  return lookAhead.held && lookAhead.handle == device.handle;
}

// Read time-outs: with `waitMs` 0 a read takes what is queued and returns at
// once; otherwise it returns as soon as one byte is there, or after `waitMs`
// with nothing. Writes give up after `writeMs`.
bool SetTimeouts(HANDLE handle, DWORD waitMs, DWORD writeMs) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  if (waitMs > 0) {
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    // MAXDWORD itself would mean something else.
    timeouts.ReadTotalTimeoutConstant = std::min<DWORD>(waitMs, MAXDWORD - 1);
  }
  timeouts.WriteTotalTimeoutMultiplier = 0;
  timeouts.WriteTotalTimeoutConstant = writeMs;
  return SetCommTimeouts(handle, &timeouts) != 0;
}

// A raw line, as a program that talks to an instrument needs it: bytes pass
// as they are, no flow control of either kind, modem status lines ignored,
// the driver's output lines raised as a plain cable expects.
void MakeLineRaw(DCB& control) {
  control.fBinary = TRUE;
  control.fOutxCtsFlow = FALSE;
  control.fOutxDsrFlow = FALSE;
  control.fDtrControl = DTR_CONTROL_ENABLE;
  control.fDsrSensitivity = FALSE;
  control.fTXContinueOnXoff = TRUE;
  control.fOutX = FALSE;
  control.fInX = FALSE;
  control.fErrorChar = FALSE;
  control.fNull = FALSE;
  control.fRtsControl = RTS_CONTROL_ENABLE;
  control.fAbortOnError = FALSE;
}

BYTE ParityCode(Parity parity) {
  switch (parity) {
    case Parity::None:
      return NOPARITY;
    case Parity::Even:
      return EVENPARITY;
    case Parity::Odd:
      return ODDPARITY;
    case Parity::Mark:
      return MARKPARITY;
    case Parity::Space:
      return SPACEPARITY;
  }
  return NOPARITY;
}

BYTE StopBitsCode(StopBits stopBits) {
  switch (stopBits) {
    case StopBits::One:
      return ONESTOPBIT;
    case StopBits::OneAndHalf:
      return ONE5STOPBITS;
    case StopBits::Two:
      return TWOSTOPBITS;
  }
  return ONESTOPBIT;
}

enum class OpenAttempt { Opened, Held, Failed };

// One attempt to open the port for this process alone (share mode 0).
OpenAttempt TryOpenExclusive(const std::string& deviceName, HANDLE& handle) {
  handle = CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) return OpenAttempt::Opened;
  // A port that another program has open is refused with "access denied".
  const DWORD error = GetLastError();
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
             ? OpenAttempt::Held
             : OpenAttempt::Failed;
}

}  // namespace

SerialDevice OpenSerialDevice(const char* portName,
                              std::uint32_t holderWaitMs) {
  const std::string deviceName = DeviceNameForPortName(portName);
  const std::uint32_t start = TickCount();
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (;;) {
    const OpenAttempt attempt = TryOpenExclusive(deviceName, handle);
    if (attempt == OpenAttempt::Opened) break;
    if (attempt == OpenAttempt::Failed) return {};
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed >= holderWaitMs) return {};
    Sleep(std::min<DWORD>(kRetryPauseMs, holderWaitMs - elapsed));
  }
  SetupComm(handle, kQueueBytes, kQueueBytes);
  DCB control{};
  control.DCBlength = sizeof control;
  if (GetCommState(handle, &control)) {
    MakeLineRaw(control);
    SetCommState(handle, &control);
  }
  SetTimeouts(handle, 0, 0);
  // Only now that the port is ours: what an earlier user left unread must not
  // be taken for this run's reply.
  PurgeComm(handle, PURGE_RXCLEAR);
  const SerialDevice device{reinterpret_cast<std::intptr_t>(handle), false};
  lookAhead = LookAhead{device.handle, false, 0};
  return device;
}

bool ApplyLineSettings(SerialDevice& device, const LineSettings& settings) {
  if (!IsOpen(device)) return false;
  // Start from what the port has: settings the text does not name stay.
  DCB control{};
  control.DCBlength = sizeof control;
  if (!GetCommState(Handle(device), &control)) return false;
  if (settings.baudRate) control.BaudRate = *settings.baudRate;
  if (settings.parity) {
    control.Parity = ParityCode(*settings.parity);
    control.fParity = *settings.parity != Parity::None;
  }
  if (settings.dataBits) control.ByteSize = *settings.dataBits;
  if (settings.stopBits) control.StopBits = StopBitsCode(*settings.stopBits);
  // The driver refuses a combination it cannot send, such as 1.5 stop bits
  // with 8 data bits, and then keeps the settings it had.
  return SetCommState(Handle(device), &control) != 0;
}

std::size_t WriteSerialDevice(SerialDevice& device, const char* bytes,
                              std::size_t count, std::uint32_t timeoutMs) {
  if (!Usable(device) || count == 0) return 0;
  SetTimeouts(Handle(device), 0, timeoutMs);
  DWORD written = 0;
  const DWORD length =
      static_cast<DWORD>(std::min<std::size_t>(count, MAXDWORD));
  if (!WriteFile(Handle(device), bytes, length, &written, nullptr)) {
    device.lost = GetLastError() != ERROR_TIMEOUT;
  }
  return written;
}

std::uint32_t SerialInputCount(SerialDevice& device) {
  if (!Usable(device)) return 0;
  const std::uint32_t held = HoldsLookAhead(device) ? 1 : 0;
  DWORD errors = 0;
  COMSTAT status{};
  // Also clears the port's error state, which would otherwise stop reads.
  if (!ClearCommError(Handle(device), &errors, &status)) {
    device.lost = true;
    return held;
  }
  return held + status.cbInQue;
}

std::size_t ReadSerialDevice(SerialDevice& device, char* into,
                             std::size_t count) {
  if (!Usable(device) || count == 0) return 0;
  std::size_t taken = 0;
  if (HoldsLookAhead(device)) {
    into[taken++] = lookAhead.byte;
    lookAhead.held = false;
  }
  const std::uint32_t queued = SerialInputCount(device);  // no look-ahead now
  const DWORD wanted =
      static_cast<DWORD>(std::min<std::size_t>(count - taken, queued));
  if (wanted == 0) return taken;
  // Never more than is queued, and with reads that do not wait: this
  // returns at once.
  SetTimeouts(Handle(device), 0, 0);
  DWORD read = 0;
  if (!ReadFile(Handle(device), into + taken, wanted, &read, nullptr)) {
    device.lost = true;
    return taken;
  }
  return taken + read;
}

void WaitForSerialInput(SerialDevice& device, std::uint32_t timeoutMs) {
  if (!Usable(device)) {
    Sleep(timeoutMs);
    return;
  }
  if (timeoutMs == 0 || SerialInputCount(device) > 0 || !Usable(device)) return;
  // The driver wakes the read when a byte comes in: no polling meanwhile.
  const std::uint32_t start = TickCount();
  SetTimeouts(Handle(device), timeoutMs, 0);
  char byte = 0;
  DWORD read = 0;
  if (!ReadFile(Handle(device), &byte, 1, &read, nullptr)) {
    device.lost = true;
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed < timeoutMs) Sleep(timeoutMs - elapsed);
    return;
  }
  if (read == 1) {
    lookAhead = LookAhead{device.handle, true, byte};
    return;
  }
  // Nothing came. A read that gave up well before its time (a line that
  // went away can answer at once) must not turn the caller's wait into a
  // busy loop: the rest of the time passes here.
  const std::uint32_t elapsed = TickCount() - start;
  if (elapsed < timeoutMs) Sleep(timeoutMs - elapsed);
}

bool CloseSerialDevice(SerialDevice& device) {
  if (!IsOpen(device)) return false;
  const HANDLE handle = Handle(device);
  // Bytes after the reply line go with the port, so that no later user can
  // take them for its own reply.
  PurgeComm(handle, PURGE_RXCLEAR);
  if (lookAhead.handle == device.handle) lookAhead = LookAhead{};
  device = SerialDevice{};
  return CloseHandle(handle) != 0;
}
