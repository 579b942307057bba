#pragma once

// The results of a completed dialogue: one pass over both count tables.

#include <cstdint>

#include "fire_tables.h"
#include "text_output.h"

struct fire_statistics {
  std::int32_t min_f_2023;
  std::int32_t max_f_2023;
  std::int32_t country_rising_f;      // countries with more fires in 2024
  std::int32_t max_increase;          // 0 when no country rose
  std::int32_t max_increase_country;  // 0 when no country rose; lowest number on a tie

  friend bool operator==(const fire_statistics&, const fire_statistics&) = default;
};

// Both tables must hold accepted counts, so no difference can overflow.
fire_statistics compute_statistics(const count_table& year_2023, const count_table& year_2024);

// Writes the results block for country_2023 and country_2024. Every line
// begins with its line break and the last one ends without one.
void report_statistics(text_output& out);
