#pragma once

// Buffered, formatted writing to a byte_sink. Bytes reach the sink when the
// buffer is full or on flush(), always as whole texts. A text that the
// buffer cannot hold (a formatted one takes a byte more, for the C
// library's terminator) fails as a refused delivery does. The first failure
// is remembered and everything after it is dropped: what follows a lost
// write is not wanted.

#include <cstdarg>
#include <span>
#include <string_view>

#include "byte_stream.h"
#include "compiler.h"

class text_output {
 public:
  text_output(byte_sink& sink, std::span<char> buffer);

  void write(std::string_view text);

  // printf-style; the attribute lets the compiler check every format string.
  FIRE_PRINTF_FORMAT(2, 3) void print(const char* format, ...);

  // Hands everything written so far to the sink. False once any write failed.
  bool flush();

  [[nodiscard]] bool failed() const { return failed_; }

 private:
  FIRE_PRINTF_FORMAT(2, 0) void vprint(const char* format, std::va_list args);
  void deliver(std::string_view bytes);
  [[nodiscard]] std::span<char> free_space() const { return buffer_.subspan(used_); }

  byte_sink& sink_;
  std::span<char> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};
