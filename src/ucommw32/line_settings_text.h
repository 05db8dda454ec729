#pragma once
// Reads a line settings text in the form that Windows accepts for a serial
// port (the arguments of its "mode" command), for example
// "baud=9600 parity=n data=8 stop=1": the same text configures the port on
// every platform.

#include <string_view>

#include "platform/serial_device.h"

// Reads the words of `text` up to its first NUL byte, separated by blanks:
//   baud=B     bits per second; the two-digit forms 11, 15, 30, 60, 12, 24,
//              48, 96 and 19 stand for 110 ... 19200
//   parity=P   n, e, o, m or s (none, even, odd, mark, space)
//   data=D     5, 6, 7 or 8
//   stop=S     1, 1.5 or 2
// Names and letters in any case; a later word overrides an earlier one.
// Returns false when some word is none of these; `settings` is then
// unchanged. Settings that the text does not name stay empty.
bool ParseLineSettings(std::string_view text, LineSettings& settings);
