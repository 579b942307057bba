#include "fire_entry.h"

#include <array>
#include <charconv>

#include "fire_tables.h"

namespace {

constexpr prompt_format prompt_2023 = "Χώρα %d:Δώσε αριθμό πυρκαγιών για το 2023 (%d έως %d): ";
constexpr prompt_format prompt_2024 = "Χώρα %d:Δώσε αριθμό πυρκαγιών για το 2024 (%d έως %d): ";
constexpr std::string_view refusal = "Μη έγκυρη τιμή. Ξαναπροσπάθησε.";

}  // namespace

// Each "%d" takes the next value, written as printf would write it. The
// constructor has already checked that there are three and that the result
// fits in `room`.
std::string_view prompt_format::format(std::span<char, max_length + 1> room, int country) const {
  const std::array<int, 3> values{country, min_valid_fires, max_valid_fires};
  std::size_t used = 0;
  std::size_t next_value = 0;
  for (std::string_view rest = text_; !rest.empty();) {
    if (rest.starts_with("%d")) {
      const char* end =
          std::to_chars(&room[used], room.data() + room.size(), values[next_value++]).ptr;
      used = static_cast<std::size_t>(end - room.data());
      rest.remove_prefix(2);
    } else {
      room[used++] = rest.front();
      rest.remove_prefix(1);
    }
  }
  return {room.data(), used};
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
