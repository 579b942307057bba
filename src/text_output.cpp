#include "text_output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

text_output::text_output(byte_sink& sink, std::span<char> buffer) : sink_(sink), buffer_(buffer) {}

void text_output::write(std::string_view text) {
  if (text.size() > free_space().size()) {
    flush();
    if (text.size() > buffer_.size()) {
      deliver(text);
      return;
    }
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

// Formats straight into the buffer; only a text longer than the whole buffer
// takes a detour through the heap.
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
  if (length < 0) {
    failed_ = true;  // the text cannot be produced, so the output is wrong
  } else if (size < free_space().size()) {
    used_ += size;
  } else if (flush() && size < buffer_.size()) {
    used_ = static_cast<std::size_t>(std::vsnprintf(buffer_.data(), buffer_.size(), format, again));
  } else if (!failed_) {  // longer than the whole buffer
    deliver_formatted(size, format, again);
  }
  va_end(again);
}

// Plain malloc keeps the program free of the C++ runtime's exception
// machinery; a text that cannot be held cannot be written, so it counts as
// a failed write.
void text_output::deliver_formatted(std::size_t size, const char* format, std::va_list args) {
  char* text = static_cast<char*>(std::malloc(size + 1));  // NOLINT(cppcoreguidelines-no-malloc)
  if (text == nullptr) {
    failed_ = true;
    return;
  }
  if (std::vsnprintf(text, size + 1, format, args) == static_cast<int>(size)) {
    deliver({text, size});
  } else {
    failed_ = true;
  }
  std::free(text);  // NOLINT(cppcoreguidelines-no-malloc)
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
