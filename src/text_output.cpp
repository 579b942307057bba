#include "text_output.h"

#include <algorithm>
#include <cstdio>

text_output::text_output(byte_sink& sink, std::span<char> buffer) : sink_(sink), buffer_(buffer) {}

void text_output::write(std::string_view text) {
  if (text.size() > free_space().size() && (!flush() || text.size() > buffer_.size())) {
    failed_ = true;
  }
  if (failed_) {
    return;
  }
  std::copy(text.begin(), text.end(), free_space().begin());
  used_ += text.size();
}

// The C variadic form is what lets the compiler check each format string
// against its arguments.
void text_output::print(const char* format, ...) {  // NOLINT(cert-dcl50-cpp)
  std::va_list args;
  va_start(args, format);
  vprint(format, args);
  va_end(args);
}

// Formats straight into the buffer: no text needs memory of its own.
void text_output::vprint(const char* format, std::va_list args) {
  if (failed_) {
    return;
  }
  std::va_list again;
  va_copy(again, args);
  // The analyzer loses track of a va_list handed to a function.
  // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
  const int length = std::vsnprintf(free_space().data(), free_space().size(), format, args);
  const auto size = static_cast<std::size_t>(length);
  if (length >= 0 && size < free_space().size()) {
    used_ += size;
  } else if (length >= 0 && flush() && size < buffer_.size()) {
    used_ = static_cast<std::size_t>(std::vsnprintf(buffer_.data(), buffer_.size(), format, again));
  } else {
    failed_ = true;  // a text that cannot be produced or held, or a failed flush
  }
  va_end(again);
}

bool text_output::flush() {
  if (used_ > 0) {
    deliver({buffer_.data(), used_});
    used_ = 0;
  }
  return !failed_;
}

void text_output::deliver(std::string_view bytes) {
  if (!failed_ && !sink_.write(bytes)) {
    failed_ = true;
  }
}
