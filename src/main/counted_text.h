#pragma once
// A byte string of at most 255 bytes that carries its own length: command
// names, port names and settings, reply lines and real-number texts.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr std::size_t kCountedTextCapacity = 255;

struct CountedText {
  std::uint8_t length = 0;
  char bytes[kCountedTextCapacity] = {};
};

// Bytes beyond the capacity are cut off, never written past the end.
inline void AssignCountedText(CountedText& text, std::string_view bytes) {
  const std::size_t kept = std::min(bytes.size(), kCountedTextCapacity);
  std::copy_n(bytes.data(), kept, text.bytes);
  text.length = static_cast<std::uint8_t>(kept);
}

inline std::string_view View(const CountedText& text) {
  return {text.bytes, text.length};
}
