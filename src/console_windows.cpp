// A Windows console does not take UTF-8 bytes at face value: it decodes them
// in its own code page, an OEM one by default, and Greek turns to mojibake.
// Text bound for a console therefore goes through the UTF-16 console API;
// text bound for a file or a pipe stays UTF-8. Either way line breaks become
// CRLF, as the C runtime's text mode would make them. No code page, locale
// or console mode is changed, so the console is left as it was found.

// Only what the console needs, and no min and max macros from the SDK.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <array>

#include "compiler.h"
#include "console.h"
#include "console_rules.h"
#include "utf16.h"
#include "utf8.h"

namespace {

static_assert(error_no_data == ERROR_NO_DATA);
static_assert(error_operation_aborted == ERROR_OPERATION_ABORTED);

bool has_console_mode(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

// A console handle opened for writing only (CONOUT$ with GENERIC_WRITE, as
// cmd's `> CON` makes it) has no mode to read, yet takes console writes;
// NUL, the other character device, does not.
bool is_console_output(HANDLE handle) {
  DWORD written = 0;
  return has_console_mode(handle) || (GetFileType(handle) == FILE_TYPE_CHAR &&
                                      WriteConsoleW(handle, L"", 0, &written, nullptr));
}

DWORD clamp_to_dword(std::size_t n) {
  return static_cast<DWORD>(std::min<std::size_t>(n, MAXDWORD));
}

class output_stream {
 public:
  explicit output_stream(DWORD which)
      : handle_(GetStdHandle(which)), console_(is_console_output(handle_)) {}

  bool write(std::string_view bytes) {
    if (console_ && !bytes.empty()) {
      console_at_line_start = bytes.back() == '\n';
    }
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

  [[nodiscard]] bool is_console() const { return console_; }

  // Whether the console's cursor is at the start of a line, as far as this
  // program's own writes to it tell.
  static inline bool console_at_line_start = true;

 private:
  // Hands over what is staged, keeping back only an unfinished character.
  bool drain() {
    const std::string_view staged(staging_.data(), staged_);
    const std::size_t ready = console_ ? complete_utf8_prefix(staged) : staged.size();
    const bool ok =
        console_ ? write_console(staged.substr(0, ready)) : write_file(staged.substr(0, ready));
    if (ready > 0) {
      std::copy(staged.begin() + static_cast<std::ptrdiff_t>(ready), staged.end(),
                staging_.begin());
      staged_ -= ready;
    }
    return ok;
  }

  // A pipe that a parent left non-blocking (PIPE_NOWAIT, as Cygwin-based
  // shells have handed them over) takes nothing while it is full: that is
  // waited out, and the pipe's mode is left as it was found.
  [[nodiscard]] bool write_file(std::string_view bytes) const {
    return write_waiting_for_room(
        bytes,
        [this](std::string_view piece, std::size_t& written) {
          DWORD done = 0;
          const BOOL ok =
              WriteFile(handle_, piece.data(), clamp_to_dword(piece.size()), &done, nullptr);
          written = done;
          return classify_write(ok != 0, done, done == 0 && GetFileType(handle_) == FILE_TYPE_PIPE);
        },
        [](std::uint32_t ms) { Sleep(ms); });
  }

  bool write_console(std::string_view utf8) {
    if (utf8.empty()) {
      return true;
    }
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                          wide_.data(), static_cast<int>(wide_.size()));
    for (int at = 0; at < units;) {
      DWORD done = 0;
      if (!WriteConsoleW(handle_, wide_.data() + at, static_cast<DWORD>(units - at), &done,
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
  std::array<char, staging_size> staging_;
  std::size_t staged_ = 0;
  std::array<wchar_t, staging_size> wide_;  // never more UTF-16 units than bytes
};

class input_stream {
 public:
  input_stream() : handle_(GetStdHandle(STD_INPUT_HANDLE)), console_(has_console_mode(handle_)) {}

  std::size_t read(std::span<char> into) { return console_ ? read_console(into) : read_file(into); }

  [[nodiscard]] bool is_console() const { return console_; }

  // Waits for a fresh Enter, Ctrl-Z or the window's closing. Lines typed
  // before this point are dropped first: they were meant as answers.
  void wait_for_enter() {
    FlushConsoleInputBuffer(handle_);
    for (DWORD got = 0; console_read_units(got) == console_read::data;) {
      const std::span<const wchar_t> line = std::span(wide_).first(got);
      if (std::ranges::any_of(line, [](wchar_t c) { return c == L'\n' || c == L'\x1a'; })) {
        return;
      }
    }
  }

 private:
  // A non-blocking pipe with nothing in it yet is waited on like a blocking
  // one. Win32 offers no wait for data on a handle opened for synchronous
  // I/O, as these pipes are, so it is looked at again after a short sleep.
  [[nodiscard]] std::size_t read_file(std::span<char> into) const {
    for (DWORD pause = 0;;) {
      DWORD got = 0;
      const BOOL ok = ReadFile(handle_, into.data(), clamp_to_dword(into.size()), &got, nullptr);
      switch (classify_read(ok != 0, got, ok ? ERROR_SUCCESS : GetLastError())) {
        case stream_call::progress:
          return got;
        case stream_call::not_yet:
          pause = next_pipe_pause(pause);
          Sleep(pause);
          break;
        case stream_call::finished:
          return 0;  // the writer has gone, or a real error: the end either way
      }
    }
  }

  std::size_t read_console(std::span<char> into) {
    while (next_ == decoded_) {
      if (ended_ || !decode_console_read()) {
        return 0;
      }
    }
    const std::size_t n = std::min(into.size(), decoded_ - next_);
    std::copy_n(pending_.begin() + static_cast<std::ptrdiff_t>(next_), n, into.begin());
    next_ += n;
    return n;
  }

  console_read console_read_units(DWORD& got) {
    return read_console_past_interruptions([&] {
      SetLastError(ERROR_SUCCESS);  // only an interrupted read sets it on success
      const BOOL ok = ReadConsoleW(handle_, wide_.data(), units_per_read, &got, nullptr);
      return classify_console_read(ok != 0, got, GetLastError());
    });
  }

  // Console input is read as UTF-16 and passed on as UTF-8; a surrogate
  // pair cut between two reads stays one character. Ctrl-Z is the console's
  // end of input, as it is for the C runtime.
  bool decode_console_read() {
    DWORD got = 0;
    if (console_read_units(got) != console_read::data) {
      return false;
    }
    next_ = 0;
    decoded_ = 0;
    for (const wchar_t unit : std::span(wide_).first(got)) {
      const auto room = std::span(pending_).subspan(decoded_).first<utf16_to_utf8::max_bytes>();
      if (unit == L'\x1a') {
        ended_ = true;
        decoded_ += utf16_.finish(room);
        break;
      }
      decoded_ += utf16_.put(static_cast<char16_t>(unit), room);
    }
    return true;
  }

  static constexpr DWORD units_per_read = 1024;
  HANDLE handle_;
  bool console_;
  bool ended_ = false;
  std::array<wchar_t, units_per_read> wide_;
  utf16_to_utf8 utf16_;
  // Three bytes a unit at most, and room for what a unit held back from the
  // previous read adds.
  std::array<char, std::size_t{3} * units_per_read + 2 * utf16_to_utf8::max_bytes> pending_;
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

input_stream& standard_input() {
  static input_stream stream;
  return stream;
}

}  // namespace

namespace console {

// A reader that has gone shows up as a failed WriteFile already.
void report_lost_readers_as_failed_writes() {}

std::size_t read_input(std::span<char> into) {
  return standard_input().read(into);
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

void hold_window_until_read() {
  std::array<DWORD, 2> processes{};
  const DWORD attached =
      GetConsoleProcessList(processes.data(), static_cast<DWORD>(processes.size()));
  if (!owns_console_window(attached, standard_input().is_console(),
                           standard_output().is_console())) {
    return;
  }
  // One empty line between the last text and this one.
  if ((output_stream::console_at_line_start || standard_output().write("\n")) &&
      standard_output().write("\nΠάτησε Enter για να κλείσει το παράθυρο.")) {
    standard_input().wait_for_enter();
  }
}

}  // namespace console
