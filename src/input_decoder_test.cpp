#include "input_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "test_streams.h"

namespace {

// Everything the decoder hands over, read `size` bytes at a time.
std::string decode(byte_source& source, std::span<char> raw, std::size_t size) {
  input_decoder decoder(source, raw);
  std::string text;
  std::array<char, 64> into{};
  for (;;) {
    const std::size_t got = decoder.read(std::span(into).first(size));
    if (got == 0) {
      return text;
    }
    text.append(into.data(), got);
  }
}

// The text must not depend on how the input arrives: every chunk size,
// every cut into two reads, and buffers on either side as small as a byte.
void expect_decoded(std::string_view input, std::string_view expected) {
  std::array<char, 64> raw{};
  for (std::size_t size = 1; size <= input.size() + 1; ++size) {
    piece_source source = piece_source::chunked(input, size);
    EXPECT_EQ(decode(source, raw, 64), expected) << "chunks of " << size;
  }
  for (std::size_t cut = 1; cut < input.size(); ++cut) {
    piece_source source({std::string(input.substr(0, cut)), std::string(input.substr(cut))});
    EXPECT_EQ(decode(source, raw, 64), expected) << "cut at " << cut;
  }
  for (std::size_t size = 1; size <= 3; ++size) {
    piece_source source({std::string(input)});
    EXPECT_EQ(decode(source, std::span(raw).first(size), size), expected) << "buffers " << size;
  }
}

std::string utf16(const std::u16string& text, bool little_endian) {
  std::string bytes = little_endian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    bytes += little_endian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

TEST(InputDecoder, AUtf8MarkAtTheStartIsDropped) {
  expect_decoded(
      "\xEF\xBB\xBF"
      "500 600\r\n",
      "500 600\r\n");
  expect_decoded("\xEF\xBB\xBF", "");
  expect_decoded(
      "\xEF\xBB\xBF\xEF\xBB\xBF"
      "5",
      "\xEF\xBB\xBF"
      "5");
}

TEST(InputDecoder, AnythingElsePassesThroughUntouched) {
  expect_decoded("500 Χώρα", "500 Χώρα");
  expect_decoded("5\xEF\xBB\xBF 5\xFF\xFE", "5\xEF\xBB\xBF 5\xFF\xFE");
  for (const std::string_view almost : {"\xEF", "\xEF\xBB",
                                        "\xEF\xBB"
                                        "A",
                                        "\xFF", "\xFE",
                                        "\xFF"
                                        "A",
                                        "\xFE\xFE", "", "7"}) {
    expect_decoded(almost, almost);
  }
}

TEST(InputDecoder, Utf16InEitherByteOrderBecomesUtf8) {
  for (const bool little_endian : {true, false}) {
    expect_decoded(utf16(u"500\r\n600 Χώρα \U0001F525 7", little_endian),
                   "500\r\n600 Χώρα \xF0\x9F\x94\xA5 7");
    expect_decoded(utf16(u"", little_endian), "");
    expect_decoded(utf16(u"\uFEFF"
                         u"5",
                         little_endian),
                   "\xEF\xBB\xBF"
                   "5");  // later marks stay
  }
}

TEST(InputDecoder, MalformedUtf16BecomesTextThatIsNoNumber) {
  const std::string replacement = "\xEF\xBF\xBD";
  constexpr char16_t high = 0xD83D;  // of U+1F525
  constexpr char16_t low = 0xDD25;
  expect_decoded(utf16({u'5', high, u'6'}, true), "5" + replacement + "6");
  expect_decoded(utf16({u'5', low, u'6'}, true), "5" + replacement + "6");
  expect_decoded(utf16({u'5', high}, true), "5" + replacement);
  expect_decoded(utf16(u"56", true) + "7", "56" + replacement);  // half a unit at the end
  expect_decoded(utf16({high}, true) + "7", replacement + replacement);
}

TEST(InputDecoder, DecodedTextIsHandedOverBeforeWaitingForMore) {
  std::array<char, 64> raw{};
  piece_source source({utf16(u"150\n", true), std::string("2\0", 2)});
  input_decoder decoder(source, raw);
  std::array<char, 64> into{};
  std::string text;
  while (text.size() < 4) {
    text.append(into.data(), decoder.read(into));
  }
  EXPECT_EQ(text, "150\n");
  // cppcheck-suppress knownConditionTrueFalse
  EXPECT_EQ(source.reads, 2);  // the mark, then the rest of the first piece

  EXPECT_EQ(decoder.read(into), 1U);
  EXPECT_EQ(decoder.read(into), 0U);
  EXPECT_EQ(decoder.read(into), 0U);
  // cppcheck-suppress knownConditionTrueFalse
  EXPECT_EQ(source.reads, 4);  // the end is final
}

}  // namespace
