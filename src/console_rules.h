#pragma once

// What the Windows console layer decides, apart from the calls that give it
// the facts, so that the decisions can be tested on any platform.

#include <cstdint>

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

// ERROR_OPERATION_ABORTED, without the Windows headers.
inline constexpr std::uint32_t error_operation_aborted = 995;

enum class console_read {
  data,          // characters to pass on
  end_of_input,  // nothing more will come, or nothing more can be read
  interrupted,   // Ctrl-C or Ctrl-Break: the run is to end as interrupted
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
