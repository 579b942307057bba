#include "console_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleRules, OnlyAConsoleOfItsOwnIsHeldOpen) {
  EXPECT_TRUE(owns_console_window(1, true, true));   // double-clicked
  EXPECT_FALSE(owns_console_window(2, true, true));  // a shell shares it
  EXPECT_FALSE(owns_console_window(3, true, true));
  EXPECT_FALSE(owns_console_window(1, false, true));   // input redirected
  EXPECT_FALSE(owns_console_window(1, true, false));   // output redirected
  EXPECT_FALSE(owns_console_window(0, false, false));  // no console at all
}

TEST(ConsoleRules, AnInterruptedReadIsNotTheEndOfInput) {
  constexpr std::uint32_t invalid_handle = 6;
  EXPECT_EQ(classify_console_read(true, 5, 0), console_read::data);
  EXPECT_EQ(classify_console_read(true, 1, error_operation_aborted), console_read::data);
  EXPECT_EQ(classify_console_read(true, 0, error_operation_aborted), console_read::interrupted);
  EXPECT_EQ(classify_console_read(false, 0, error_operation_aborted), console_read::interrupted);
  EXPECT_EQ(classify_console_read(true, 0, 0), console_read::end_of_input);
  EXPECT_EQ(classify_console_read(false, 0, invalid_handle), console_read::end_of_input);
}

}  // namespace
