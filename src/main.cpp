// fire_stats: asks for each country's fires in 2023 and 2024, then reports
// a few statistics. Exit status 0 for a complete run, 1 when the input ended
// early or the output could not be written.

#include <array>
#include <cstddef>
#include <string_view>

#include "console.h"
#include "count_reader.h"
#include "fire_entry.h"
#include "input_decoder.h"
#include "report.h"
#include "text_output.h"

namespace {

class standard_output final : public byte_sink {
 public:
  bool write(std::string_view bytes) override { return console::write_output(bytes); }
};

// Standard input that first shows everything written so far. Output is
// pushed out only when the program is about to wait, so each prompt is seen
// before its answer is needed, yet answers already at hand cost no write.
class prompted_input final : public byte_source {
 public:
  explicit prompted_input(text_output& out) : out_(out) {}

  std::size_t read(std::span<char> into) override {
    return out_.flush() ? console::read_input(into) : 0;
  }

 private:
  text_output& out_;
};

int fail(std::string_view notice) {
  console::write_error(notice);  // if even this fails, the status still tells
  return 1;
}

constexpr std::size_t buffer_size = std::size_t{16} * 1024;
std::array<char, buffer_size> output_buffer;
std::array<char, buffer_size> input_buffer;
std::array<char, std::size_t{4} * 1024> utf16_input_buffer;  // only UTF-16 input needs it

// The whole run; returns the exit status.
int run() {
  standard_output sink;
  text_output out(sink, output_buffer);
  prompted_input source(out);
  input_decoder decoded(source, utf16_input_buffer);
  count_reader in(decoded, input_buffer);

  const bool complete = enter_fire_counts(in, out);
  if (complete) {
    report_statistics(out);
  }
  if (!out.flush() || !console::close_output()) {
    return fail("\nΣφάλμα εγγραφής στην τυπική έξοδο.\n");
  }
  if (!complete) {
    return fail("\nΗ είσοδος τελείωσε πριν δοθούν όλες οι τιμές.\n");
  }
  return 0;
}

}  // namespace

int main() {
  // A pipe whose reader has gone would otherwise end the program by signal:
  // no notice, and a status that says nothing of lost output.
  console::report_lost_readers_as_failed_writes();
  const int status = run();
  // Whatever the run came to, the person must be able to read it.
  console::hold_window_until_read();
  return status;
}
