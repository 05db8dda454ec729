#pragma once
// Which name the program hands CreateFileA for a port name. Pure, with no
// Windows call, so that the rule can be tested on every platform.

#include <string>
#include <string_view>

// A DOS device name, letters then digits with an optional trailing ":" (for
// example "com2:", "COM10", "lpt1"), becomes "\\.\" followed by the name
// without its colon: the colon is no part of a device name, and only the
// "\\.\" form reaches the ports from COM10 up. Any other name (a path, a name
// that already has the prefix) is handed over as it is.
std::string DeviceNameForPortName(std::string_view portName);
