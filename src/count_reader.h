#pragma once

// Splits the input into answers: white-space-separated decimal integers, with
// anything else recognised as such rather than read as a number.

#include <cstdint>
#include <span>

#include "byte_stream.h"

enum class answer_kind {
  number,        // `value` holds it, saturated to the range of int32_t
  not_a_number,  // a token that does not begin with a number; discarded
  end_of_input,  // nothing more will come
};

struct answer {
  answer_kind kind;
  std::int32_t value;  // meaningful only for answer_kind::number

  friend bool operator==(const answer&, const answer&) = default;
};

class count_reader {
 public:
  // `buffer` holds input read ahead; its size bounds the reader's memory
  // whatever the input.
  count_reader(byte_source& source, std::span<char> buffer);

  // Returns the next answer. A number ends at the first byte that cannot
  // continue it, and that byte is left for the next answer.
  answer next();

 private:
  static constexpr int end = -1;

  int peek();
  void advance() { ++next_; }
  void skip_space();
  void discard_token();
  std::int32_t read_digits(bool negative);

  byte_source& source_;
  std::span<char> buffer_;
  std::size_t next_ = 0;
  std::size_t filled_ = 0;
  bool ended_ = false;
};
