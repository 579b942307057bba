#pragma once

// The input as UTF-8, whatever byte-order mark the text begins with.
// Notepad and Windows PowerShell put one at the start of a text file: a
// UTF-8 mark is dropped, and text behind a UTF-16 mark (either byte order)
// is converted, so that each gives the run the same text in UTF-8 gives.
// Only the very start counts; the same bytes later on are text like any
// other. Input without a mark passes through untouched.

#include <array>
#include <cstddef>
#include <span>

#include "byte_stream.h"
#include "utf16.h"

class input_decoder final : public byte_source {
 public:
  // `raw` holds UTF-16 input read ahead; its size bounds the memory that
  // conversion takes. UTF-8 is read straight into the caller's span.
  input_decoder(byte_source& source, std::span<char> raw);

  // Never waits for more input while it has decoded text to hand over.
  std::size_t read(std::span<char> into) override;

 private:
  enum class encoding { unknown, utf8, utf16le, utf16be };

  void detect();
  std::size_t read_utf16(std::span<char> into);
  bool refill();
  void decode_byte(char byte);
  void decode_leftovers();
  std::size_t hand_over(std::span<char> into);

  byte_source& source_;
  std::span<char> raw_;
  std::size_t raw_next_ = 0;
  std::size_t raw_filled_ = 0;
  bool ended_ = false;
  encoding encoding_ = encoding::unknown;

  // Decoded bytes, or the first bytes of UTF-8, not yet handed over.
  std::array<char, utf16_to_utf8::max_bytes> pending_{};
  std::size_t pending_next_ = 0;
  std::size_t pending_end_ = 0;

  utf16_to_utf8 utf16_;
  char first_half_ = 0;  // of a code unit whose second byte is still to come
  bool half_unit_ = false;
};
