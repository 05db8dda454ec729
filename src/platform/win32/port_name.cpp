#include "platform/win32/port_name.h"

namespace {

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsDosDeviceName(std::string_view name) {
  std::size_t letters = 0;
  while (letters < name.size() && IsLetter(name[letters])) ++letters;
  if (letters == 0 || letters == name.size()) return false;
  for (std::size_t i = letters; i < name.size(); ++i) {
    if (!IsDigit(name[i])) return false;
  }
  return true;
}

}  // namespace

std::string DeviceNameForPortName(std::string_view portName) {
  std::string_view name = portName;
  if (!name.empty() && name.back() == ':') name.remove_suffix(1);
  if (!IsDosDeviceName(name)) return std::string(portName);
  return "\\\\.\\" + std::string(name);
}
