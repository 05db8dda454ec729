#include "byte_escapes.h"

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool DecodeHex(std::string_view text, std::string& bytes) {
  std::string decoded;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return false;
    const int high = HexDigitValue(text[i]);
    const int low = HexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return false;
    decoded.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  bytes = decoded;
  return true;
}

bool SimpleEscape(char letter, char& byte) {
  switch (letter) {
    case 'r':
      byte = '\r';
      return true;
    case 'n':
      byte = '\n';
      return true;
    case 't':
      byte = '\t';
      return true;
    case 'a':
      byte = '\a';
      return true;
    case 'b':
      byte = '\b';
      return true;
    case 'f':
      byte = '\f';
      return true;
    case 'v':
      byte = '\v';
      return true;
    case 'e':
      byte = '\x1b';
      return true;
    case '\\':
      byte = '\\';
      return true;
    case '"':
      byte = '"';
      return true;
    case '\'':
      byte = '\'';
      return true;
    default:
      return false;
  }
}

bool DecodeCEscapes(std::string_view text, std::string& bytes) {
  std::string decoded;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '\\') {
      decoded.push_back(text[i++]);
      continue;
    }
    if (++i >= text.size()) return false;
    char byte = 0;
    if (SimpleEscape(text[i], byte)) {
      decoded.push_back(byte);
      ++i;
    } else if (text[i] == 'x') {
      int value = 0;
      int digits = 0;
      for (++i; digits < 2 && i < text.size() && HexDigitValue(text[i]) >= 0;
           ++i, ++digits) {
        value = value * 16 + HexDigitValue(text[i]);
      }
      if (digits == 0) return false;
      decoded.push_back(static_cast<char>(value));
    } else if (text[i] >= '0' && text[i] <= '7') {
      int value = 0;
      for (int digits = 0;
           digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
           ++i, ++digits) {
        value = value * 8 + (text[i] - '0');
      }
      if (value > 0xFF) return false;
      decoded.push_back(static_cast<char>(value));
    } else {
      return false;
    }
  }
  bytes = decoded;
  return true;
}

}  // namespace

bool DecodeBytes(std::string_view text, std::string& bytes) {
  constexpr std::string_view kHexPrefix = "hex:";
  if (text.substr(0, kHexPrefix.size()) == kHexPrefix) {
    return DecodeHex(text.substr(kHexPrefix.size()), bytes);
  }
  return DecodeCEscapes(text, bytes);
}

std::string EscapeBytes(std::string_view bytes) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\t') {
      text += "\\t";
    } else if (byte >= 0x20 && byte < 0x7F) {
      text.push_back(c);
    } else {
      text += "\\x";
      text.push_back(kHexDigits[byte >> 4]);
      text.push_back(kHexDigits[byte & 0xF]);
    }
  }
  return text;
}
