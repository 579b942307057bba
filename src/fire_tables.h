#pragma once

// The data that the two phases of a run share: the dialogue fills the two
// count tables, the report reads them.

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t country_count = 8;

// A count is accepted exactly when min_valid_fires <= count <= max_valid_fires.
// The prompts print these bounds, so they are the single source of both.
inline constexpr std::int32_t min_valid_fires = 100;
inline constexpr std::int32_t max_valid_fires = 50000;

// Element k belongs to the country shown to the person as number k + 1.
using count_table = std::array<std::int32_t, country_count>;

// All zero at start; every cell lies in the accepted range once the dialogue
// has completed.
extern count_table country_2023;
extern count_table country_2024;

constexpr bool is_valid_count(std::int32_t count) {
  return count >= min_valid_fires && count <= max_valid_fires;
}
