#pragma once

// UTF-16 to UTF-8, one code unit at a time, for text that arrives in pieces:
// a surrogate pair cut between two pieces still becomes one character. A
// surrogate without its partner becomes U+FFFD, which is no more a number
// or white space than any other malformed text.

#include <cstddef>
#include <cstdint>
#include <span>

class utf16_to_utf8 {
 public:
  // The most one unit can give: U+FFFD for a high surrogate left unpaired,
  // then three bytes of its own.
  static constexpr std::size_t max_bytes = 6;
  using bytes = std::span<char, max_bytes>;

  // Writes the UTF-8 that `unit` completes to the front of `out`; returns
  // how many bytes. A high surrogate gives none until its partner comes.
  constexpr std::size_t put(char16_t unit, bytes out) {
    std::size_t n = 0;
    if (high_ != 0) {
      const char16_t high = high_;
      high_ = 0;
      if (is_low(unit)) {
        return encode(0x10000 + ((char32_t{high} - 0xD800U) << 10U) + (unit - 0xDC00U), out);
      }
      n = encode(replacement, out);
    }
    if (is_high(unit)) {
      high_ = unit;
      return n;
    }
    return n + encode(is_low(unit) ? replacement : char32_t{unit}, out.subspan(n));
  }

  // At the end of the text: what a waiting high surrogate becomes.
  constexpr std::size_t finish(bytes out) {
    const bool waiting = high_ != 0;
    high_ = 0;
    return waiting ? encode(replacement, out) : 0;
  }

 private:
  static constexpr char32_t replacement = 0xFFFD;

  static constexpr bool is_high(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
  static constexpr bool is_low(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

  static constexpr char byte(std::uint32_t b) { return static_cast<char>(b); }

  static constexpr std::size_t encode(char32_t c, std::span<char> out) {
    if (c < 0x80) {
      out[0] = byte(c);
      return 1;
    }
    if (c < 0x800) {
      out[0] = byte(0xC0 | (c >> 6));
      out[1] = byte(0x80 | (c & 0x3F));
      return 2;
    }
    if (c < 0x10000) {
      out[0] = byte(0xE0 | (c >> 12));
      out[1] = byte(0x80 | ((c >> 6) & 0x3F));
      out[2] = byte(0x80 | (c & 0x3F));
      return 3;
    }
    out[0] = byte(0xF0 | (c >> 18));
    out[1] = byte(0x80 | ((c >> 12) & 0x3F));
    out[2] = byte(0x80 | ((c >> 6) & 0x3F));
    out[3] = byte(0x80 | (c & 0x3F));
    return 4;
  }

  char16_t high_ = 0;
};
