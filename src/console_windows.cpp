// A Windows console does not take UTF-8 bytes at face value: it decodes them
// in its own code page, an OEM one by default, and Greek turns to mojibake.
// Text bound for a console therefore goes through the UTF-16 console API;
// text bound for a file or a pipe stays UTF-8. Either way line breaks become
// CRLF, as the C runtime's text mode would make them. No code page, locale
// or console mode is changed, so the console is left as it was found.

#include <windows.h>

#include <algorithm>
#include <array>

#include "console.h"
#include "utf8.h"

namespace {

bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

DWORD clamp_to_dword(std::size_t n) {
  return static_cast<DWORD>(std::min<std::size_t>(n, MAXDWORD));
}

class output_stream {
 public:
  explicit output_stream(DWORD which)
      : handle_(GetStdHandle(which)), console_(is_console(handle_)) {}

  bool write(std::string_view bytes) {
    for (const char c : bytes) {
      if (staged_ + 2 > staging_.size() && !drain()) {
        return false;
      }
      if (c == '\n') {
        staging_[staged_++] = '\r';
      }
      staging_[staged_++] = c;
    }
    return drain();
  }

  // A console has nothing to lose, and a handle that is standard error too
  // is still needed for the notices.
  bool close() {
    if (console_ || handle_ == GetStdHandle(STD_ERROR_HANDLE)) {
      return true;
    }
    return CloseHandle(handle_) != 0;
  }

 private:
  // Hands over what is staged, keeping back only an unfinished character.
  bool drain() {
    const std::string_view staged(staging_.data(), staged_);
    const std::size_t ready = console_ ? complete_utf8_prefix(staged) : staged.size();
    const bool ok =
        console_ ? write_console(staged.substr(0, ready)) : write_file(staged.substr(0, ready));
    std::copy(staged.begin() + static_cast<std::ptrdiff_t>(ready), staged.end(), staging_.begin());
    staged_ -= ready;
    return ok;
  }

  [[nodiscard]] bool write_file(std::string_view bytes) const {
    while (!bytes.empty()) {
      DWORD done = 0;
      if (!WriteFile(handle_, bytes.data(), clamp_to_dword(bytes.size()), &done, nullptr) ||
          done == 0) {
        return false;
      }
      bytes.remove_prefix(done);
    }
    return true;
  }

  [[nodiscard]] bool write_console(std::string_view utf8) const {
    if (utf8.empty()) {
      return true;
    }
    std::array<wchar_t, staging_size> wide{};  // never more UTF-16 units than bytes
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                          wide.data(), static_cast<int>(wide.size()));
    for (int at = 0; at < units;) {
      DWORD done = 0;
      if (!WriteConsoleW(handle_, wide.data() + at, static_cast<DWORD>(units - at), &done,
                         nullptr) ||
          done == 0) {
        return false;
      }
      at += static_cast<int>(done);
    }
    return units > 0;
  }

  // About the program's own output buffer, so a flush of it costs a write
  // or two, not one per small piece.
  static constexpr std::size_t staging_size = std::size_t{16} * 1024;
  HANDLE handle_;
  bool console_;
  std::array<char, staging_size> staging_{};
  std::size_t staged_ = 0;
};

class input_stream {
 public:
  input_stream() : handle_(GetStdHandle(STD_INPUT_HANDLE)), console_(is_console(handle_)) {}

  std::size_t read(std::span<char> into) { return console_ ? read_console(into) : read_file(into); }

 private:
  [[nodiscard]] std::size_t read_file(std::span<char> into) const {
    DWORD got = 0;
    if (!ReadFile(handle_, into.data(), clamp_to_dword(into.size()), &got, nullptr)) {
      return 0;  // a pipe whose writer has gone, or a real error: the end either way
    }
    return got;
  }

  std::size_t read_console(std::span<char> into) {
    if (next_ == decoded_ && !decode_console_line()) {
      return 0;
    }
    const std::size_t n = std::min(into.size(), decoded_ - next_);
    std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(next_), n, into.begin());
    next_ += n;
    return n;
  }

  // A console line is read as UTF-16 and passed on as UTF-8. Ctrl-Z is the
  // console's end of input, as it is for the C runtime.
  bool decode_console_line() {
    if (ended_) {
      return false;
    }
    std::array<wchar_t, units_per_read> wide{};
    DWORD got = 0;
    if (!ReadConsoleW(handle_, wide.data(), units_per_read, &got, nullptr) || got == 0) {
      return false;
    }
    const auto* stop = std::find(wide.data(), wide.data() + got, L'\x1a');
    ended_ = stop != wide.data() + got;
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(stop - wide.data()),
                            pending_.data(), static_cast<int>(pending_.size()), nullptr, nullptr);
    next_ = 0;
    decoded_ = bytes > 0 ? static_cast<std::size_t>(bytes) : 0;
    return decoded_ > 0;
  }

  static constexpr DWORD units_per_read = 1024;
  HANDLE handle_;
  bool console_;
  bool ended_ = false;
  std::array<char, std::size_t{3} * units_per_read>
      pending_{};  // UTF-8 takes at most 3 bytes a unit
  std::size_t next_ = 0;
  std::size_t decoded_ = 0;
};

output_stream& standard_output() {
  static output_stream stream(STD_OUTPUT_HANDLE);
  return stream;
}

output_stream& standard_error() {
  static output_stream stream(STD_ERROR_HANDLE);
  return stream;
}

}  // namespace

namespace console {

// A reader that has gone shows up as a failed WriteFile already.
void report_lost_readers_as_failed_writes() {}

std::size_t read_input(std::span<char> into) {
  static input_stream stream;
  return stream.read(into);
}

bool write_output(std::string_view bytes) {
  return standard_output().write(bytes);
}

bool write_error(std::string_view bytes) {
  return standard_error().write(bytes);
}

bool close_output() {
  return standard_output().close();
}

}  // namespace console
