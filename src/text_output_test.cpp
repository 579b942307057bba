#include "text_output.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "test_streams.h"

namespace {

TEST(TextOutput, HoldsTextBackUntilFlushedOrFull) {
  string_sink sink;
  std::array<char, 8> buffer{};
  text_output out(sink, buffer);
  out.write("abcde");
  EXPECT_EQ(sink.writes, 0);
  out.write("fgh");
  EXPECT_EQ(sink.writes, 0);
  out.write("i");
  EXPECT_EQ(sink.text, "abcdefgh");
  EXPECT_TRUE(out.flush());
  EXPECT_EQ(sink.text, "abcdefghi");
  EXPECT_TRUE(out.flush());
  EXPECT_EQ(sink.writes, 2);
}

TEST(TextOutput, KeepsOrderWhateverTheSizes) {
  string_sink sink;
  std::array<char, 8> buffer{};
  text_output out(sink, buffer);
  out.write("ab");
  out.write("8 bytes.");
  out.print("[%d]", 7);
  out.print("%d|%d", 123, -42);
  out.write("Χώρα");
  out.print("%d", 50000);
  EXPECT_TRUE(out.flush());
  EXPECT_EQ(sink.text, "ab8 bytes.[7]123|-42Χώρα50000");
}

// Nothing of it is written, as nothing is of a write that the sink refuses,
// and nothing after it.
TEST(TextOutput, ATextLongerThanTheBufferFails) {
  for (const bool formatted : {false, true}) {
    string_sink sink;
    std::array<char, 8> buffer{};
    text_output out(sink, buffer);
    out.write("ab");
    if (formatted) {
      out.print("%d and %d", 123456, -42);
    } else {
      out.write("nine byte");
    }
    out.write("c");
    EXPECT_TRUE(out.failed());
    EXPECT_FALSE(out.flush());
    EXPECT_EQ(sink.text, "ab");
  }
}

TEST(TextOutput, FormattingThatJustFillsTheBufferIsKept) {
  string_sink sink;
  std::array<char, 8> buffer{};
  text_output out(sink, buffer);
  out.write("x");
  out.print("%d", 1234567);  // seven digits: the rest of the buffer, no room for a terminator
  out.print("%d", 7654321);
  EXPECT_TRUE(out.flush());
  EXPECT_EQ(sink.text, "x12345677654321");
}

TEST(TextOutput, AFailedWriteIsFinal) {
  string_sink sink(/*fail_from=*/1);
  std::array<char, 4> buffer{};
  text_output out(sink, buffer);
  out.write("abcd");
  out.write("e");  // delivers "abcd"
  EXPECT_FALSE(out.failed());
  out.write("fghi");  // delivers "e", refused
  EXPECT_TRUE(out.failed());
  out.print("%d", 5);
  out.write("longer than the buffer");
  EXPECT_FALSE(out.flush());
  EXPECT_EQ(sink.text, "abcd");
  EXPECT_EQ(sink.writes, 2);
}

}  // namespace
