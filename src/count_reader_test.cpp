#include "count_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "test_streams.h"

namespace {

constexpr std::int32_t int_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int_min = std::numeric_limits<std::int32_t>::min();

constexpr answer num(std::int32_t value) {
  return {answer_kind::number, value};
}
constexpr answer junk{answer_kind::not_a_number, 0};

}  // namespace

// Readable failure messages; found by gtest through the type's namespace.
void PrintTo(const answer& a, std::ostream* os);   // NOLINT(readability-identifier-naming)
void PrintTo(const answer& a, std::ostream* os) {  // NOLINT(readability-identifier-naming)
  switch (a.kind) {
    case answer_kind::number:
      *os << a.value;
      break;
    case answer_kind::not_a_number:
      *os << "junk";
      break;
    case answer_kind::end_of_input:
      *os << "end";
      break;
  }
}

namespace {

// The answers must not depend on how the input arrives: every chunk size,
// every single cut into two reads, and a reader buffer as small as a byte.
void expect_answers(std::string_view input, const std::vector<answer>& expected) {
  std::array<char, 64> buffer{};
  for (std::size_t size = 1; size <= input.size() + 1; ++size) {
    piece_source source = piece_source::chunked(input, size);
    EXPECT_EQ(read_all(source, buffer), expected) << "chunks of " << size;
  }
  for (std::size_t cut = 1; cut < input.size(); ++cut) {  // an empty read would mean the end
    piece_source source({std::string(input.substr(0, cut)), std::string(input.substr(cut))});
    EXPECT_EQ(read_all(source, buffer), expected) << "cut at " << cut;
  }
  for (std::size_t size = 1; size <= 3; ++size) {
    piece_source source = piece_source::chunked(input, input.size() + 1);
    EXPECT_EQ(read_all(source, std::span(buffer).first(size)), expected) << "buffer " << size;
  }
}

TEST(CountReader, WhiteSpaceBeforeAnAnswerIsSkipped) {
  expect_answers(" \t\n\r\v\f150", {num(150)});
  expect_answers("150\r\n20000\r\n", {num(150), num(20000)});
  expect_answers("\n\n\n", {});
  expect_answers("", {});
}

TEST(CountReader, NumbersAreDecimalWithAnOptionalSign) {
  expect_answers("0150 +150 -150 0", {num(150), num(150), num(-150), num(0)});
  expect_answers("0x10 010", {num(0), junk, num(10)});
  expect_answers("150 20000", {num(150), num(20000)});
}

TEST(CountReader, ANumberEndsAtTheFirstByteThatCannotContinueIt) {
  expect_answers("150abc", {num(150), junk});
  expect_answers("12abc 300", {num(12), junk, num(300)});
  expect_answers("150-20", {num(150), num(-20)});
  expect_answers("150", {num(150)});
}

TEST(CountReader, TextThatIsNoNumberIsDiscardedToTheNextWhiteSpace) {
  expect_answers("abc 150", {junk, num(150)});
  expect_answers("a1b2c3\t7", {junk, num(7)});
  expect_answers("+ 5 - 6", {junk, num(5), junk, num(6)});
  expect_answers("+-5 ++5 -+5", {junk, junk, junk});
  expect_answers("+", {junk});
  expect_answers(std::string("\0\xff\x80 9", 5), {junk, num(9)});
  expect_answers("πέντε 5", {junk, num(5)});
}

TEST(CountReader, NumbersBeyondTheIntegerRangeSaturateInsteadOfWrapping) {
  expect_answers("2147483647 -2147483648", {num(int_max), num(int_min)});
  expect_answers("2147483648 -2147483649", {num(int_max), num(int_min)});
  expect_answers("4294967396 -4294967196", {num(int_max), num(int_min)});
  expect_answers("99999999999999999999999999 1", {num(int_max), num(1)});
  expect_answers("00000000000000000000000000000150", {num(150)});
}

TEST(CountReader, AnyNumberOfDigitsFitsInAFixedBuffer) {
  std::array<char, 16> buffer{};
  piece_source source = piece_source::chunked(std::string(100000, '7') + " 150", 4096);
  EXPECT_EQ(read_all(source, buffer), (std::vector{num(int_max), num(150)}));

  piece_source junk_source = piece_source::chunked(std::string(100000, 'x') + " 150", 4096);
  EXPECT_EQ(read_all(junk_source, buffer), (std::vector{junk, num(150)}));
}

TEST(CountReader, TheEndIsFinalAndTheSourceIsNotAskedAgain) {
  std::array<char, 8> buffer{};
  piece_source source({"150 "});
  count_reader reader(source, buffer);
  EXPECT_EQ(reader.next(), num(150));
  EXPECT_EQ(reader.next().kind, answer_kind::end_of_input);
  const int reads = source.reads;
  EXPECT_EQ(reader.next().kind, answer_kind::end_of_input);
  // cppcheck does not see that the reader holds the source by reference.
  // cppcheck-suppress knownConditionTrueFalse
  EXPECT_EQ(source.reads, reads);
}

TEST(CountReader, AnAnswerIsReturnedWithoutWaitingForMoreThanItsEnd) {
  std::array<char, 64> buffer{};
  piece_source source({"150\n", "20000\n"});
  count_reader reader(source, buffer);
  EXPECT_EQ(reader.next(), num(150));
  EXPECT_EQ(source.reads, 1);
}

}  // namespace
