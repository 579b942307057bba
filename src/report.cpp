#include "report.h"

fire_statistics compute_statistics(const count_table& year_2023, const count_table& year_2024) {
  fire_statistics s{year_2023[0], year_2023[0], 0, 0, 0};
  for (std::size_t k = 0; k < country_count; ++k) {
    if (year_2023[k] < s.min_f_2023) {
      s.min_f_2023 = year_2023[k];
    }
    if (year_2023[k] > s.max_f_2023) {
      s.max_f_2023 = year_2023[k];
    }
    if (year_2023[k] < year_2024[k]) {
      ++s.country_rising_f;
    }
    // Only a strictly greater increase replaces the best so far, so a tie
    // goes to the lower country number and no rise means no country.
    const std::int32_t increase = year_2024[k] - year_2023[k];
    if (increase > s.max_increase) {
      s.max_increase = increase;
      s.max_increase_country = static_cast<std::int32_t>(k) + 1;
    }
  }
  return s;
}

void report_statistics(text_output& out) {
  out.print("\n--- Αποτελέσματα Στατιστικής Ανάλυσης ---");
  const fire_statistics s = compute_statistics(country_2023, country_2024);
  out.print("\nΜικρότερος αριθμός πυρκαγιών το 2023: %d", s.min_f_2023);
  out.print("\nΜεγαλύτερος αριθμός πυρκαγιών το 2023: %d", s.max_f_2023);
  out.print("\nAριθμός χωρών με αύξηση πυρκαγιών το 2024: %d", s.country_rising_f);
  if (s.max_increase > 0) {
    out.print("\nΗ χώρα %d είχε την μεγαλύτερη αύξηση πυρκαγιών: %d", s.max_increase_country,
              s.max_increase);
  } else {
    out.print("\nΚαμία χώρα δεν είχε αύξηση πυρκαγιών το 2024.");
  }
}
