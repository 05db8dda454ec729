#include "ucommw32/line_settings_text.h"

#include <cctype>
#include <cstdint>
#include <string>

namespace {

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return lower;
}

bool ParseBaudRate(std::string_view value, std::uint32_t& baudRate) {
  if (value.empty() || value.size() > 9) return false;
  std::uint32_t number = 0;
  for (const char digit : value) {
    if (digit < '0' || digit > '9') return false;
    number = number * 10 + static_cast<std::uint32_t>(digit - '0');
  }
  if (number == 0) return false;
  // The short forms that the "mode" command has always accepted.
  struct ShortForm {
    std::string_view text;
    std::uint32_t baudRate;
  };
  static constexpr ShortForm kShortForms[] = {
      {"11", 110},  {"15", 150},  {"30", 300},  {"60", 600},  {"12", 1200},
      {"24", 2400}, {"48", 4800}, {"96", 9600}, {"19", 19200}};
  for (const ShortForm& form : kShortForms) {
    if (value == form.text) number = form.baudRate;
  }
  baudRate = number;
  return true;
}

bool ParseParity(std::string_view value, Parity& parity) {
  if (value == "n")
    parity = Parity::None;
  else if (value == "e")
    parity = Parity::Even;
  else if (value == "o")
    parity = Parity::Odd;
  else if (value == "m")
    parity = Parity::Mark;
  else if (value == "s")
    parity = Parity::Space;
  else
    return false;
  return true;
}

bool ParseDataBits(std::string_view value, std::uint8_t& dataBits) {
  if (value.size() != 1 || value[0] < '5' || value[0] > '8') return false;
  dataBits = static_cast<std::uint8_t>(value[0] - '0');
  return true;
}

bool ParseStopBits(std::string_view value, StopBits& stopBits) {
  if (value == "1")
    stopBits = StopBits::One;
  else if (value == "1.5")
    stopBits = StopBits::OneAndHalf;
  else if (value == "2")
    stopBits = StopBits::Two;
  else
    return false;
  return true;
}

bool ParseWord(std::string_view word, LineSettings& settings) {
  const std::size_t equals = word.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string name = LowerCase(word.substr(0, equals));
  const std::string value = LowerCase(word.substr(equals + 1));
  if (name == "baud") {
    std::uint32_t baudRate = 0;
    if (!ParseBaudRate(value, baudRate)) return false;
    settings.baudRate = baudRate;
  } else if (name == "parity") {
    Parity parity{};
    if (!ParseParity(value, parity)) return false;
    settings.parity = parity;
  } else if (name == "data") {
    std::uint8_t dataBits = 0;
    if (!ParseDataBits(value, dataBits)) return false;
    settings.dataBits = dataBits;
  } else if (name == "stop") {
    StopBits stopBits{};
    if (!ParseStopBits(value, stopBits)) return false;
    settings.stopBits = stopBits;
  } else {
    return false;
  }
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool ParseLineSettings(std::string_view text, LineSettings& settings) {
  // The text carries its own terminating NUL; whatever follows it is not
  // part of the settings.
  text = text.substr(0, text.find('\0'));
  LineSettings parsed = settings;
  std::size_t position = 0;
  while (position < text.size()) {
    if (IsBlank(text[position])) {
      ++position;
      continue;
    }
    std::size_t end = position;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    if (!ParseWord(text.substr(position, end - position), parsed)) return false;
    position = end;
  }
  settings = parsed;
  return true;
}
