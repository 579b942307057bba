#include "fire_entry.h"

#include <array>
#include <cstdio>

#include "fire_tables.h"

namespace {

constexpr prompt_format prompt_2023 = "Χώρα %d:Δώσε αριθμό πυρκαγιών για το 2023 (%d έως %d): ";
constexpr prompt_format prompt_2024 = "Χώρα %d:Δώσε αριθμό πυρκαγιών για το 2024 (%d έως %d): ";
constexpr std::string_view refusal = "Μη έγκυρη τιμή. Ξαναπροσπάθησε.";

}  // namespace

std::string_view prompt_format::format(std::span<char, max_length + 1> room, int country) const {
  // The constructor has already checked this format string against these
  // arguments and this room, which the compiler cannot see here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  const int length =
      std::snprintf(room.data(), room.size(), text_, country, min_valid_fires, max_valid_fires);
#pragma GCC diagnostic pop
  return {room.data(), length > 0 ? static_cast<std::size_t>(length) : 0};
}

bool read_valid_count(count_reader& in, text_output& out, prompt_format prompt, int country,
                      std::int32_t& cell) {
  // A refused answer repeats the very same prompt, so it is formatted once.
  std::array<char, prompt_format::max_length + 1> room{};
  const std::string_view text = prompt.format(room, country);
  for (;;) {
    out.write(text);
    const answer reply = in.next();
    if (reply.kind == answer_kind::end_of_input || out.failed()) {
      return false;
    }
    if (reply.kind == answer_kind::number) {
      cell = reply.value;
      if (is_valid_count(cell)) {
        return true;
      }
    }
    out.write(refusal);
    out.write("\n");
  }
}

bool enter_fire_counts(count_reader& in, text_output& out) {
  for (std::size_t k = 0; k < country_count; ++k) {
    const int country = static_cast<int>(k) + 1;
    if (!read_valid_count(in, out, prompt_2023, country, country_2023[k]) ||
        !read_valid_count(in, out, prompt_2024, country, country_2024[k])) {
      return false;
    }
  }
  return true;
}
