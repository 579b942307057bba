#pragma once

// UTF-8 boundaries, for code that must hand text over in pieces without
// cutting a character in two.

#include <algorithm>
#include <cstddef>
#include <string_view>

// The length of `bytes` less an unfinished sequence at its end, whose
// remaining bytes are still to come. Malformed bytes count as finished:
// holding them back would not make them valid.
constexpr std::size_t complete_utf8_prefix(std::string_view bytes) {
  const std::size_t look_back = std::min<std::size_t>(4, bytes.size());
  for (std::size_t back = 1; back <= look_back; ++back) {
    const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if ((c & 0xC0) == 0x80) {
      continue;  // a continuation byte: its lead is further back
    }
    const std::size_t length = c >= 0xF8 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return length > back ? bytes.size() - back : bytes.size();
  }
  return bytes.size();
}
