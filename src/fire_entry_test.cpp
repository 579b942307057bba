#include "fire_entry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "fire_tables.h"
#include "test_streams.h"

namespace {

std::string prompt(int country, int year) {
  return "Χώρα " + std::to_string(country) + ":Δώσε αριθμό πυρκαγιών για το " +
         std::to_string(year) + " (100 έως 50000): ";
}

const std::string refusal = "Μη έγκυρη τιμή. Ξαναπροσπάθησε.\n";

struct dialogue {
  explicit dialogue(byte_source& source, int fail_from = -1)
      : sink(fail_from), out(sink, out_buffer), in(source, in_buffer) {
    country_2023 = {};
    country_2024 = {};
  }

  bool run() {
    const bool complete = enter_fire_counts(in, out);
    out.flush();
    return complete;
  }

  std::array<char, 256> out_buffer{};
  std::array<char, 64> in_buffer{};
  string_sink sink;
  text_output out;
  count_reader in;
};

TEST(FireEntry, AsksEachCountryFor2023Then2024) {
  piece_source source({"101 201 102 202 103 203 104 204 105 205 106 206 107 207 108 208"});
  dialogue d(source);
  ASSERT_TRUE(d.run());
  EXPECT_EQ(country_2023, (count_table{101, 102, 103, 104, 105, 106, 107, 108}));
  EXPECT_EQ(country_2024, (count_table{201, 202, 203, 204, 205, 206, 207, 208}));
  std::string expected;
  for (int country = 1; country <= 8; ++country) {
    expected += prompt(country, 2023) + prompt(country, 2024);
  }
  EXPECT_EQ(d.sink.text, expected);
}

TEST(FireEntry, ARefusedAnswerRepeatsTheSameQuestion) {
  piece_source source({"500 99 x 50001 -150 +0100"});
  dialogue d(source);
  EXPECT_FALSE(d.run());
  EXPECT_EQ(country_2023[0], 500);
  EXPECT_EQ(country_2024[0], 100);
  EXPECT_EQ(d.sink.text, prompt(1, 2023) + prompt(1, 2024) + refusal + prompt(1, 2024) + refusal +
                             prompt(1, 2024) + refusal + prompt(1, 2024) + refusal +
                             prompt(1, 2024) + prompt(2, 2023));
}

TEST(FireEntry, TheBoundsAreAccepted) {
  count_table cell{};
  piece_source source({"50000 100"});
  dialogue d(source);
  EXPECT_TRUE(read_valid_count(d.in, d.out, "%d %d %d", 1, cell[0]));
  EXPECT_TRUE(read_valid_count(d.in, d.out, "%d %d %d", 2, cell[1]));
  EXPECT_EQ(cell[0], 50000);
  EXPECT_EQ(cell[1], 100);
}

TEST(FireEntry, TheEndOfInputStopsTheDialogue) {
  piece_source source({"150 20000 300 99"});
  dialogue d(source);
  EXPECT_FALSE(d.run());
  EXPECT_EQ(country_2023, (count_table{150, 300}));
  EXPECT_EQ(d.sink.text, prompt(1, 2023) + prompt(1, 2024) + prompt(2, 2023) + prompt(2, 2024) +
                             refusal + prompt(2, 2024));
}

TEST(FireEntry, AFailedWriteStopsTheDialogueThoughInputKeepsComing) {
  constexpr std::size_t plenty = std::size_t{1} << 20;
  repeating_source source("99\n", plenty);
  dialogue d(source, /*fail_from=*/2);
  EXPECT_FALSE(d.run());
  EXPECT_TRUE(d.out.failed());
  EXPECT_LT(source.delivered, plenty) << "the dialogue went on until the input ended";
}

}  // namespace
