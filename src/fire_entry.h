#pragma once

// The dialogue that fills both count tables, question by question.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "count_reader.h"
#include "text_output.h"

// A prompt text with three %d placeholders, filled with the country number
// and the two bounds. Its shape is checked when the program is compiled, so
// formatting it can neither misread an argument nor be cut short.
class prompt_format {
 public:
  static constexpr std::size_t max_length = 255;

  // Implicit, so that a literal can stand wherever a prompt is expected.
  // cppcheck-suppress noExplicitConstructor
  consteval prompt_format(const char* text) : text_(text) {
    std::size_t placeholders = 0;
    std::size_t length = 0;
    for (const char* p = text; *p != '\0'; ++p, ++length) {
      if (*p == '%') {
        if (p[1] != 'd') {
          throw "a prompt may hold no conversion but %d";
        }
        ++placeholders;
      }
    }
    if (placeholders != 3) {
      throw "a prompt takes exactly three %d placeholders";
    }
    constexpr std::size_t widest_int = 11;  // "-2147483648"
    if (length - std::size_t{3} * 2 + std::size_t{3} * widest_int > max_length) {
      throw "a prompt must fit in max_length bytes once formatted";
    }
  }

  // Formats into `room`, which must hold max_length + 1 bytes.
  [[nodiscard]] std::string_view format(std::span<char, max_length + 1> room, int country) const;

 private:
  const char* text_;
};

// Asks for one count until an accepted one is stored in `cell`. Returns false
// when there will be none: the input ended, or the output failed.
bool read_valid_count(count_reader& in, text_output& out, prompt_format prompt, int country,
                      std::int32_t& cell);

// Fills country_2023 and country_2024 in question order: each country's 2023
// count, then its 2024 count. Returns false if the dialogue could not finish.
bool enter_fire_counts(count_reader& in, text_output& out);
