#pragma once

// What the Windows console layer decides, apart from the calls that give it
// the facts, so that the decisions can be tested on any platform.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Whether the program has a console window of its own, one that closes and
// takes the results with it the moment the program exits: it is the only
// process attached to the console (Explorer, a shortcut, the Run box or
// `start` made the console for it) and reads and writes that console. A
// shell sharing the console keeps the window; a redirected stream means the
// text goes, or comes from, somewhere else.
constexpr bool owns_console_window(std::uint32_t attached_processes, bool input_is_console,
                                   bool output_is_console) {
  return attached_processes == 1 && input_is_console && output_is_console;
}

// Error codes, without the Windows headers.
inline constexpr std::uint32_t error_no_data = 232;            // ERROR_NO_DATA
inline constexpr std::uint32_t error_operation_aborted = 995;  // ERROR_OPERATION_ABORTED

enum class console_read {
  data,          // characters to pass on
  end_of_input,  // nothing more will come, or nothing more can be read
  interrupted,   // Ctrl-C or Ctrl-Break: the console's handler decides what follows
};

// What a ReadConsoleW call came to, from its result, the characters it
// read and the error code it left (cleared before the call). An interrupted
// read succeeds with no characters; it is not the end of the input.
constexpr console_read classify_console_read(bool succeeded, std::uint32_t units,
                                             std::uint32_t last_error) {
  if (succeeded && units > 0) {
    return console_read::data;
  }
  return last_error == error_operation_aborted ? console_read::interrupted
                                               : console_read::end_of_input;
}

// Calls `read` (which returns a console_read) until a read is not
// interrupted. Ctrl-C aborts a pending console read even in a process that
// ignores Ctrl-C (`start /b`, a new process group, a parent that ignores
// it); there the dialogue simply goes on. Where Ctrl-C is not ignored, the
// console's own handler is already ending the process with
// STATUS_CONTROL_C_EXIT, and the read waits for that.
template <typename Read>
console_read read_console_past_interruptions(Read read) {
  console_read result = read();
  while (result == console_read::interrupted) {
    result = read();
  }
  return result;
}

// What a ReadFile or WriteFile call on a standard stream came to.
enum class stream_call {
  progress,  // bytes went through
  not_yet,   // a pipe left non-blocking (PIPE_NOWAIT) had nothing or no room: wait, call again
  finished,  // the end of the input, or a write that cannot be made
};

// ReadFile: a non-blocking pipe with nothing in it yet fails with
// ERROR_NO_DATA; a pipe whose writers have all gone fails otherwise
// (ERROR_BROKEN_PIPE), and a file at its end reads nothing.
constexpr stream_call classify_read(bool succeeded, std::uint32_t bytes, std::uint32_t last_error) {
  if (succeeded) {
    return bytes > 0 ? stream_call::progress : stream_call::finished;
  }
  return last_error == error_no_data ? stream_call::not_yet : stream_call::finished;
}

// WriteFile: a non-blocking pipe with no room succeeds having written
// nothing. Any failure is final; ERROR_NO_DATA here means that the reader
// has closed its end.
constexpr stream_call classify_write(bool succeeded, std::uint32_t bytes, bool is_pipe) {
  if (!succeeded) {
    return stream_call::finished;
  }
  if (bytes > 0) {
    return stream_call::progress;
  }
  return is_pipe ? stream_call::not_yet : stream_call::finished;
}

// Milliseconds to sleep before looking at a non-blocking pipe again, after
// `previous` (0 for the first look): short while the other end is busy,
// growing to a pause that a person never notices, at a cost of a few dozen
// wake-ups a second.
constexpr std::uint32_t next_pipe_pause(std::uint32_t previous) {
  constexpr std::uint32_t longest = 50;
  return std::clamp<std::uint32_t>(previous * 2, 1, longest);
}

// Hands all of `bytes` to `write(piece, written)`, which returns a
// stream_call and sets how many bytes of `piece` went through; `pause(ms)`
// sleeps. A non-blocking pipe may take only a piece that fits whole (wine's
// do), so one that takes nothing is offered ever smaller pieces, down to a
// byte, before the writer pauses. False once a write cannot be made.
template <typename Write, typename Pause>
bool write_waiting_for_room(std::string_view bytes, Write write, Pause pause) {
  std::size_t piece = bytes.size();
  std::uint32_t paused = 0;
  while (!bytes.empty()) {
    std::size_t written = 0;
    switch (write(bytes.substr(0, piece), written)) {
      case stream_call::progress:
        bytes.remove_prefix(written);
        piece = bytes.size();
        paused = 0;
        break;
      case stream_call::not_yet:
        if (piece > 1) {
          piece /= 2;
        } else {
          paused = next_pipe_pause(paused);
          pause(paused);
          piece = bytes.size();
        }
        break;
      case stream_call::finished:
        return false;
    }
  }
  return true;
}
