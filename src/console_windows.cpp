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
    if (!console_) {
      return write_file(bytes);
    }
    if (!bytes.empty()) {
      console_at_line_start = bytes.back() == '\n';
    }
    return write_console(bytes);
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
  // Line breaks become CRLF a buffer at a time: a file or a pipe takes the
  // bytes as they come, wherever a piece ends.
  bool write_file(std::string_view bytes) {
    std::size_t staged = 0;
    for (const char c : bytes) {
      if (staged + 2 > staging_.size()) {
        if (!write_bytes({staging_.data(), staged})) {
          return false;
        }
        staged = 0;
      }
      if (c == '\n') {
        staging_[staged++] = '\r';
      }
      staging_[staged++] = c;
    }
    return write_bytes({staging_.data(), staged});
  }

  // A pipe that a parent left non-blocking (PIPE_NOWAIT, as Cygwin-based
  // shells have handed them over) takes nothing while it is full: that is
  // waited out, and the pipe's mode is left as it was found.
  [[nodiscard]] bool write_bytes(std::string_view bytes) const {
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

  // Each text arrives whole, so its lines do too, and no character is cut
  // between two of them: line by line into UTF-16 with CRLF, as many lines
  // at a time as wide_ holds. UTF-16 never takes more units than UTF-8
  // takes bytes.
  bool write_console(std::string_view utf8) {
    std::size_t used = 0;
    while (!utf8.empty()) {
      const std::size_t end = std::min(utf8.find('\n'), utf8.size());
      const std::string_view line = utf8.substr(0, end);
      if (used + line.size() + 2 > wide_.size()) {
        if (!write_wide(used) || line.size() + 2 > wide_.size()) {
          return false;
        }
        used = 0;
      }
      if (!line.empty()) {
        const int units =
            MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                &wide_[used], static_cast<int>(wide_.size() - used));
        if (units <= 0) {
          return false;
        }
        used += static_cast<std::size_t>(units);
      }
      if (end < utf8.size()) {
        wide_[used++] = L'\r';
        wide_[used++] = L'\n';
      }
      utf8.remove_prefix(std::min(end + 1, utf8.size()));
    }
    return write_wide(used);
  }

  bool write_wide(std::size_t units) {
    for (std::size_t at = 0; at < units;) {
      DWORD done = 0;
      if (!WriteConsoleW(handle_, &wide_[at], clamp_to_dword(units - at), &done, nullptr) ||
          done == 0) {
        return false;
      }
      at += done;
    }
    return true;
  }

  // As large as the program's output buffer, so that a flush of it costs a
  // write or two, not one per line; a console line takes its CRLF beside.
  static constexpr std::size_t staging_size = std::size_t{16} * 1024;
  HANDLE handle_;
  bool console_;
  std::array<char, staging_size> staging_;
  std::array<wchar_t, staging_size + 2> wide_;
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
