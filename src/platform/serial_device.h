#pragma once
// Seam: one serial device, held by this process alone while it is open, with
// its line settings, its queue of received bytes and waits for input that let
// the time pass without using the processor.
//
// No operation reports why it failed: a device that cannot be opened or that
// goes away simply delivers no bytes, and waits on it still last their time.

#include <cstddef>
#include <cstdint>
#include <optional>

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

// The line settings that a settings text names. A setting left empty stays as
// the device has it.
struct LineSettings {
  std::optional<std::uint32_t> baudRate;  // bits per second
  std::optional<Parity> parity;
  std::optional<std::uint8_t> dataBits;  // 5 to 8
  std::optional<StopBits> stopBits;
};

struct SerialDevice {
  std::intptr_t handle = -1;  // the operating system's handle; -1: not open
  bool lost = false;          // went away (hang-up, read error) while open
};

inline bool IsOpen(const SerialDevice& device) { return device.handle != -1; }

// Opens the device that `portName` (zero-terminated) names, for reading and
// writing by this process alone. While another process holds it, tries again
// after short pauses for up to `holderWaitMs` milliseconds. The line is raw:
// bytes pass both ways as they are (no echo, no line editing, no character
// translation, no flow control, modem lines ignored). Bytes received before
// the opening are discarded. Returns a device that is not open on failure.
SerialDevice OpenSerialDevice(const char* portName, std::uint32_t holderWaitMs);

// Changes the settings that `settings` names and keeps the others. Returns
// false, with nothing changed, when the device cannot take them as a whole.
bool ApplyLineSettings(SerialDevice& device, const LineSettings& settings);

// Sends the bytes, waiting at most about `timeoutMs` milliseconds for the
// device to take them. Returns how many it took.
std::size_t WriteSerialDevice(SerialDevice& device, const char* bytes,
                              std::size_t count, std::uint32_t timeoutMs);

// The number of received bytes waiting to be read; 0 for a device that is not
// open or was lost.
std::uint32_t SerialInputCount(SerialDevice& device);

// Reads at most `count` of the waiting bytes without waiting for more.
// Returns how many were read.
std::size_t ReadSerialDevice(SerialDevice& device, char* into,
                             std::size_t count);

// Returns as soon as received bytes are waiting, or after about `timeoutMs`
// milliseconds, or earlier when a signal interrupts the wait. A device that is
// not open or was lost never has bytes waiting: the wait just lets the time
// pass.
void WaitForSerialInput(SerialDevice& device, std::uint32_t timeoutMs);

// Discards received bytes that were not read, gives the device up to other
// processes and closes it. Returns whether the close succeeded (false for a
// device that was not open). The device is not open afterwards.
bool CloseSerialDevice(SerialDevice& device);
