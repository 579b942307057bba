#pragma once

// The program's only contact with the platform: its three standard streams,
// unbuffered. Whatever a platform needs to show the text faithfully stays
// behind these functions; the bytes passed in and out are always UTF-8 with
// "\n" line breaks.

#include <cstddef>
#include <span>
#include <string_view>

namespace console {

// Makes a reader that has gone away show up as a failed write rather than
// end the program before it can say so.
void report_lost_readers_as_failed_writes();

// Reads the next bytes of standard input into the front of `into`, waiting
// for at least one. Returns how many; 0 at the end of input or on an error.
std::size_t read_input(std::span<char> into);

// Write all of `bytes`; false if any part could not be written.
bool write_output(std::string_view bytes);
bool write_error(std::string_view bytes);

// Closes standard output once everything is written; false if that shows
// that some of it was lost after all.
bool close_output();

// A console window that the program has to itself closes when the program
// exits, taking the results with it. Where that is so, this asks for Enter
// and waits for it; anywhere else it does nothing.
void hold_window_until_read();

}  // namespace console
