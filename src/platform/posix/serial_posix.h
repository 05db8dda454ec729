#pragma once
// The pure parts of the POSIX serial device, apart so that tests can reach
// them: which device a port name opens, and how line settings become termios
// flags.

#include <termios.h>

#include <string>
#include <string_view>

#include "platform/serial_device.h"

// Looks up one environment variable; nullptr when it is not set.
using EnvironmentLookup = const char* (*)(const char* name);

// "comN" with an optional ":" (any case, N from 1 to 999 written without a
// leading zero) opens the device named by the environment variable
// COMN_DEVICE when that is set and not empty, otherwise /dev/ttyS(N-1). Any
// other name is a path and is opened as it is.
std::string DevicePathForPortName(std::string_view portName,
                                  EnvironmentLookup lookup);

// Makes the line raw, as a serial port is for a program that talks to an
// instrument: no echo, no line editing, no signals from bytes, no character
// translation, no software flow control, modem lines ignored, reads that take
// what is there. Speed, parity, data bits and stop bits stay as they are.
void MakeLineRaw(termios& settings);

// Changes the flags that `line` names. Returns false, with `settings`
// unchanged, when they cannot be expressed: a speed that termios has no
// constant for, mark or space parity where the system lacks them, 1.5 stop
// bits with other than 5 data bits, or 2 stop bits with 5 data bits.
bool ApplyLineSettingsToTermios(termios& settings, const LineSettings& line);
