#pragma once

// UTF-8 boundaries, for code that must hand text over in pieces without
// cutting a character in two.

#include <algorithm>
#include <cstddef>
#include <string_view>

// How many bytes the sequence that `lead` begins takes; 1 for a byte that
// can begin none, so that it is passed on rather than waited on.
constexpr std::size_t utf8_sequence_length(unsigned char lead) {
  if (lead >= 0xF8 || lead < 0xC0) {
    return 1;
  }
  return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

// The length of `bytes` less an unfinished sequence at its end, whose
// remaining bytes are still to come. Malformed bytes count as finished:
// holding them back would not make them valid.
constexpr std::size_t complete_utf8_prefix(std::string_view bytes) {
  const std::size_t look_back = std::min<std::size_t>(4, bytes.size());
  for (std::size_t back = 1; back <= look_back; ++back) {
    const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if ((c & 0xC0) != 0x80) {  // not a continuation byte: the sequence starts here
      return utf8_sequence_length(c) > back ? bytes.size() - back : bytes.size();
    }
  }
  return bytes.size();
}
