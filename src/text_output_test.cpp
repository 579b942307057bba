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
  out.write("longer than the buffer");
  out.print("[%d]", 7);
  out.print("%d and %d, formatted wider than the buffer", 123456, -42);
  out.write("Χώρα");
  out.print("%d", 50000);
  EXPECT_TRUE(out.flush());
  EXPECT_EQ(sink.text,
            "ablonger than the buffer[7]123456 and -42, formatted wider than the bufferΧώρα50000");
}

TEST(TextOutput, FormattingThatJustFillsTheBufferIsKept) {
  string_sink sink;
  std::array<char, 8> buffer{};
  text_output out(sink, buffer);
  out.write("x");
  out.print("%d", 1234567);  // seven digits: the whole buffer, no room for a terminator
  out.print("%d", 12345678);
  EXPECT_TRUE(out.flush());
  EXPECT_EQ(sink.text, "x123456712345678");
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
