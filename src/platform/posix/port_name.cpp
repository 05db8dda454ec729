#include <cctype>
#include <string>
#include <string_view>

#include "platform/posix/serial_posix.h"

namespace {

bool EqualIgnoringCase(std::string_view text, std::string_view lowerCase) {
  if (text.size() != lowerCase.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != lowerCase[i]) {
      return false;
    }
  }
  return true;
}

// The port number of "comN" or "comN:", or 0 when the name is no such port.
unsigned ComPortNumber(std::string_view name) {
  if (name.size() < 4 || !EqualIgnoringCase(name.substr(0, 3), "com")) {
    return 0;
  }
  std::string_view digits = name.substr(3);
  if (digits.back() == ':') digits.remove_suffix(1);
  if (digits.empty() || digits.size() > 3 || digits.front() == '0') return 0;
  unsigned number = 0;
  for (const char digit : digits) {
    if (digit < '0' || digit > '9') return 0;
    number = number * 10 + static_cast<unsigned>(digit - '0');
  }
  return number;
}

}  // namespace

std::string DevicePathForPortName(std::string_view portName,
                                  EnvironmentLookup lookup) {
  const unsigned number = ComPortNumber(portName);
  if (number == 0) return std::string(portName);
  // The variable lets a user or a test put any device, for instance a
  // simulated meter's pseudo-terminal, behind a Windows port name.
  const std::string variable = "COM" + std::to_string(number) + "_DEVICE";
  const char* device = lookup(variable.c_str());
  if (device != nullptr && device[0] != '\0') return device;
  return "/dev/ttyS" + std::to_string(number - 1);
}
