#include "report.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "test_streams.h"

namespace {

count_table all(std::int32_t count) {
  count_table t{};
  t.fill(count);
  return t;
}

const count_table example_2023{500, 1200, 300, 800, 2500, 150, 900, 40000};
const count_table example_2024{600, 1100, 300, 1800, 2400, 1150, 950, 100};

// Only the last country rises, by the smallest rise there is.
const count_table ends{3000, 2000, 2000, 2000, 2000, 2000, 2000, 1000};
const count_table last_rises_by_one{3000, 2000, 2000, 2000, 2000, 2000, 2000, 1001};

TEST(Statistics, ExampleTieGoesToTheLowerCountryNumber) {
  // Countries 4 and 6 both rise by 1000; the 2024 count of 100 is below
  // every 2023 count and must not touch the 2023 extremes.
  EXPECT_EQ(compute_statistics(example_2023, example_2024),
            (fire_statistics{150, 40000, 4, 1000, 4}));
}

TEST(Statistics, NoRiseNamesNoCountry) {
  EXPECT_EQ(compute_statistics(all(700), all(700)), (fire_statistics{700, 700, 0, 0, 0}));
  const count_table falling{50000, 100, 200, 300, 400, 500, 600, 700};
  EXPECT_EQ(compute_statistics(falling, all(100)), (fire_statistics{100, 50000, 0, 0, 0}));
}

TEST(Statistics, ExtremesAnywhereInTheTable) {
  EXPECT_EQ(compute_statistics(all(100), all(50000)), (fire_statistics{100, 100, 8, 49900, 1}));
  EXPECT_EQ(compute_statistics(ends, last_rises_by_one), (fire_statistics{1000, 3000, 1, 1, 8}));
}

std::string report_for(const count_table& year_2023, const count_table& year_2024) {
  country_2023 = year_2023;
  country_2024 = year_2024;
  string_sink sink;
  std::array<char, 512> buffer{};
  text_output out(sink, buffer);
  report_statistics(out);
  EXPECT_TRUE(out.flush());
  return sink.text;
}

TEST(Report, EveryLineStartsWithItsBreakAndTheLastHasNone) {
  EXPECT_EQ(report_for(example_2023, example_2024),
            "\n--- Αποτελέσματα Στατιστικής Ανάλυσης ---"
            "\nΜικρότερος αριθμός πυρκαγιών το 2023: 150"
            "\nΜεγαλύτερος αριθμός πυρκαγιών το 2023: 40000"
            "\nAριθμός χωρών με αύξηση πυρκαγιών το 2024: 4"
            "\nΗ χώρα 4 είχε την μεγαλύτερη αύξηση πυρκαγιών: 1000");
}

TEST(Report, ARiseOfOneIsARise) {
  EXPECT_EQ(report_for(ends, last_rises_by_one),
            "\n--- Αποτελέσματα Στατιστικής Ανάλυσης ---"
            "\nΜικρότερος αριθμός πυρκαγιών το 2023: 1000"
            "\nΜεγαλύτερος αριθμός πυρκαγιών το 2023: 3000"
            "\nAριθμός χωρών με αύξηση πυρκαγιών το 2024: 1"
            "\nΗ χώρα 8 είχε την μεγαλύτερη αύξηση πυρκαγιών: 1");
}

TEST(Report, WithoutARiseTheNoIncreaseLineTakesThePlace) {
  EXPECT_EQ(report_for(all(100), all(100)),
            "\n--- Αποτελέσματα Στατιστικής Ανάλυσης ---"
            "\nΜικρότερος αριθμός πυρκαγιών το 2023: 100"
            "\nΜεγαλύτερος αριθμός πυρκαγιών το 2023: 100"
            "\nAριθμός χωρών με αύξηση πυρκαγιών το 2024: 0"
            "\nΚαμία χώρα δεν είχε αύξηση πυρκαγιών το 2024.");
}

}  // namespace
