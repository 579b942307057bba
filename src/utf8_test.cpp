#include "utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8, HoldsBackOnlyAnUnfinishedLastCharacter) {
  const std::string text = "Χώρα 1";  // two-byte letters, then ASCII
  EXPECT_EQ(complete_utf8_prefix(text), text.size());
  EXPECT_EQ(complete_utf8_prefix("\xCE"), 0U);
  EXPECT_EQ(complete_utf8_prefix("a\xCE"), 1U);
  EXPECT_EQ(complete_utf8_prefix("a\xCE\xA7"), 3U);
  EXPECT_EQ(complete_utf8_prefix(""), 0U);
}

TEST(Utf8, EveryCutOfLongerSequences) {
  const std::string euro = "\xE2\x82\xAC";       // three bytes
  const std::string emoji = "\xF0\x9F\x94\xA5";  // four bytes
  for (const std::string& c : {euro, emoji}) {
    for (std::size_t cut = 1; cut < c.size(); ++cut) {
      EXPECT_EQ(complete_utf8_prefix("ab" + c.substr(0, cut)), 2U) << c.size() << "/" << cut;
    }
    EXPECT_EQ(complete_utf8_prefix("ab" + c), 2 + c.size());
  }
}

TEST(Utf8, MalformedBytesAreNotHeldBack) {
  EXPECT_EQ(complete_utf8_prefix("a\x80\x80\x80\x80"), 5U);  // continuations only
  EXPECT_EQ(complete_utf8_prefix("\xE2\x82\xAC\xA7"), 4U);   // one too many
  EXPECT_EQ(complete_utf8_prefix("a\xFF"), 2U);
}

}  // namespace
