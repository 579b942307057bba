// libFuzzer target: arbitrary bytes, cut into arbitrary reads, go through
// the input decoder to the answer reader and to the whole dialogue, and what
// must hold for every input is checked. The first byte chooses the cuts and
// the buffer sizes; the rest is the input.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "count_reader.h"
#include "fire_entry.h"
#include "fire_tables.h"
#include "input_decoder.h"
#include "report.h"
#include "test_streams.h"
#include "text_output.h"

namespace {

void check(bool holds, const char* what) {
  if (!holds) {
    static_cast<void>(std::fprintf(stderr, "broken: %s\n", what));
    std::abort();
  }
}

// Read sizes from 1 to 64 bytes, drawn from `seed`.
std::vector<std::string> cut(std::string_view input, std::uint8_t seed) {
  std::vector<std::string> pieces;
  std::uint32_t state = seed * 2654435761U + 1;
  while (!input.empty()) {
    state = state * 1664525U + 1013904223U;
    const std::size_t size = std::min<std::size_t>(input.size(), 1 + (state >> 26));
    pieces.emplace_back(input.substr(0, size));
    input.remove_prefix(size);
  }
  return pieces;
}

// The bounds of an accepted count, written out rather than taken from the
// program, so that a wrong bound there cannot go unseen here.
bool in_range(std::int32_t count) {
  return count >= 100 && count <= 50000;
}

// The accepted counts a dialogue must store: the first sixteen numbers in range.
std::vector<std::int32_t> expected_cells(const std::vector<answer>& answers) {
  std::vector<std::int32_t> cells;
  for (const answer& a : answers) {
    if (a.kind == answer_kind::number && in_range(a.value) && cells.size() < 16) {
      cells.push_back(a.value);
    }
  }
  return cells;
}

void check_dialogue(std::string_view input, std::uint8_t seed,
                    const std::vector<std::int32_t>& expected) {
  country_2023 = {};
  country_2024 = {};
  piece_source source(cut(input, seed));
  std::array<char, 5> raw_buffer{};
  input_decoder decoded(source, std::span(raw_buffer).first(1 + seed % raw_buffer.size()));
  string_sink sink;
  std::array<char, 512> out_buffer{};
  std::array<char, 16> in_buffer{};
  text_output out(sink, out_buffer);
  count_reader in(decoded, std::span(in_buffer).first(1 + seed % in_buffer.size()));

  const bool complete = enter_fire_counts(in, out);
  check(complete == (expected.size() == 16), "the dialogue completes exactly on sixteen counts");
  if (!complete) {
    check(in.next().kind == answer_kind::end_of_input, "an unfinished dialogue used all input");
    return;
  }
  for (std::size_t k = 0; k < country_count; ++k) {
    check(country_2023[k] == expected[2 * k] && country_2024[k] == expected[2 * k + 1],
          "each cell holds its question's accepted count");
  }
  const fire_statistics s = compute_statistics(country_2023, country_2024);
  check(in_range(s.min_f_2023) && s.min_f_2023 <= s.max_f_2023, "the 2023 extremes");
  check(s.country_rising_f >= 0 && s.country_rising_f <= 8, "the number of rising countries");
  check((s.max_increase > 0) == (s.country_rising_f > 0),
        "a rise is named exactly when one exists");
  check((s.max_increase_country == 0) == (s.max_increase == 0), "no country without an increase");
  report_statistics(out);
  check(out.flush(), "the output reached the sink");
}

}  // namespace

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::uint8_t seed = data[0];
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  // Reading must not depend on how the input arrives, and every answer
  // consumes at least one byte, so it always comes to an end.
  piece_source whole({std::string(input)});
  std::array<char, 4096> big_raw{};
  input_decoder whole_decoded(whole, big_raw);
  std::array<char, 4096> big{};
  const std::vector<answer> reference = read_all(whole_decoded, big);
  piece_source pieces(cut(input, seed));
  std::array<char, 3> small_raw{};
  input_decoder pieces_decoded(pieces, small_raw);
  std::array<char, 7> small{};
  check(read_all(pieces_decoded, small) == reference, "the answers do not depend on the reads");
  check(reference.size() <= input.size(), "every answer consumes input");

  check_dialogue(input, seed, expected_cells(reference));
  return 0;
}
