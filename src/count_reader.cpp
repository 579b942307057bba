#include "count_reader.h"

#include <limits>

namespace {

// The C locale's white space, fixed here so that no locale can change it.
bool is_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

}  // namespace

count_reader::count_reader(byte_source& source, std::span<char> buffer)
    : source_(source), buffer_(buffer) {}

answer count_reader::next() {
  skip_space();
  int c = peek();
  if (c == end) {
    return {answer_kind::end_of_input, 0};
  }
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    advance();
    c = peek();
  }
  if (!is_digit(c)) {
    discard_token();
    return {answer_kind::not_a_number, 0};
  }
  return {answer_kind::number, read_digits(negative)};
}

// Once the source has reported the end it is not asked again: a terminal
// would otherwise wait for input nobody means to give.
int count_reader::peek() {
  if (next_ == filled_) {
    if (ended_) {
      return end;
    }
    next_ = 0;
    filled_ = source_.read(buffer_);
    if (filled_ == 0) {
      ended_ = true;
      return end;
    }
  }
  return static_cast<unsigned char>(buffer_[next_]);
}

void count_reader::skip_space() {
  while (is_space(peek())) {
    advance();
  }
}

void count_reader::discard_token() {
  for (int c = peek(); c != end && !is_space(c); c = peek()) {
    advance();
  }
}

// Every digit is consumed however many there are; the magnitude stops
// growing once it is past the int32_t range, so nothing can overflow.
std::int32_t count_reader::read_digits(bool negative) {
  constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (int c = peek(); is_digit(c); c = peek()) {
    if (magnitude < limit) {
      magnitude = magnitude * 10 + (c - '0');
    }
    advance();
  }
  if (negative) {
    return static_cast<std::int32_t>(-(magnitude < limit ? magnitude : limit));
  }
  return static_cast<std::int32_t>(magnitude < limit ? magnitude : limit - 1);
}
