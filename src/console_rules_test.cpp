#include "console_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

TEST(ConsoleRules, OnlyAConsoleOfItsOwnIsHeldOpen) {
  EXPECT_TRUE(owns_console_window(1, true, true));   // double-clicked
  EXPECT_FALSE(owns_console_window(2, true, true));  // a shell shares it
  EXPECT_FALSE(owns_console_window(3, true, true));
  EXPECT_FALSE(owns_console_window(1, false, true));   // input redirected
  EXPECT_FALSE(owns_console_window(1, true, false));   // output redirected
  EXPECT_FALSE(owns_console_window(0, false, false));  // no console at all
}

TEST(ConsoleRules, AnInterruptedReadIsNotTheEndOfInput) {
  constexpr std::uint32_t invalid_handle = 6;
  EXPECT_EQ(classify_console_read(true, 5, 0), console_read::data);
  EXPECT_EQ(classify_console_read(true, 1, error_operation_aborted), console_read::data);
  EXPECT_EQ(classify_console_read(true, 0, error_operation_aborted), console_read::interrupted);
  EXPECT_EQ(classify_console_read(false, 0, error_operation_aborted), console_read::interrupted);
  EXPECT_EQ(classify_console_read(true, 0, 0), console_read::end_of_input);
  EXPECT_EQ(classify_console_read(false, 0, invalid_handle), console_read::end_of_input);
}

TEST(ConsoleRules, AnInterruptedReadIsMadeAgainUntilItIsNot) {
  for (const console_read last : {console_read::data, console_read::end_of_input}) {
    std::vector<console_read> reads{console_read::interrupted, console_read::interrupted, last};
    std::size_t made = 0;
    EXPECT_EQ(read_console_past_interruptions([&] { return reads.at(made++); }), last);
    EXPECT_EQ(made, 3U);
  }
}

TEST(ConsoleRules, ANonBlockingPipeIsWaitedOnNotTakenForTheEnd) {
  constexpr std::uint32_t broken_pipe = 109;
  EXPECT_EQ(classify_read(true, 7, 0), stream_call::progress);
  EXPECT_EQ(classify_read(true, 1, 0), stream_call::progress);  // a writer sending byte by byte
  EXPECT_EQ(classify_read(false, 0, error_no_data), stream_call::not_yet);  // empty for now
  EXPECT_EQ(classify_read(false, 0, broken_pipe), stream_call::finished);   // writer gone
  EXPECT_EQ(classify_read(true, 0, 0), stream_call::finished);              // end of a file

  EXPECT_EQ(classify_write(true, 7, true), stream_call::progress);
  EXPECT_EQ(classify_write(true, 1, true), stream_call::progress);   // else sent again
  EXPECT_EQ(classify_write(true, 1, false), stream_call::progress);  // else a failure
  EXPECT_EQ(classify_write(true, 0, true), stream_call::not_yet);    // full for now
  EXPECT_EQ(classify_write(true, 0, false), stream_call::finished);  // a file that takes nothing
  EXPECT_EQ(classify_write(false, 0, true), stream_call::finished);  // reader gone
}

// Never 0, which would spin; soon long enough to cost nothing while a person
// types; never so long that a person notices it.
TEST(ConsoleRules, PausesOnAPipeGrowButStayShort) {
  std::uint32_t pause = 0;
  for (int i = 0; i < 20; ++i) {
    const std::uint32_t next = next_pipe_pause(pause);
    EXPECT_GE(next, std::max<std::uint32_t>(pause, 1));
    EXPECT_LE(next, 50U);
    pause = next;
  }
  EXPECT_GE(pause, 20U);
}

// A pipe of 4096 bytes that its reader drains by so many bytes while the
// writer pauses. With `whole`, it takes a piece only if all of it fits, as
// wine's pipes do; without, as much as fits. A writer that has paused a
// thousand times finds the reader gone.
struct slow_pipe {
  slow_pipe(bool takes_whole, std::size_t drained)
      : whole(takes_whole), drained_per_pause(drained) {}

  bool whole;
  std::size_t drained_per_pause;
  std::string received;
  std::size_t held = 0;
  int pauses = 0;

  stream_call write(std::string_view piece, std::size_t& written) {
    const std::size_t room = 4096 - held;
    written = whole ? (piece.size() <= room ? piece.size() : 0) : std::min(piece.size(), room);
    received.append(piece.substr(0, written));
    held += written;
    if (pauses > 1000) {
      return stream_call::finished;
    }
    return written > 0 ? stream_call::progress : stream_call::not_yet;
  }

  bool take(std::string_view text) {
    return write_waiting_for_room(
        text,
        [this](std::string_view piece, std::size_t& written) { return write(piece, written); },
        [this](std::uint32_t) {
          ++pauses;
          held -= std::min(held, drained_per_pause);
        });
  }
};

TEST(ConsoleRules, AFullPipeTakesTheTextAsItIsDrained) {
  std::string text;
  for (int i = 0; i < 20000; ++i) {
    text += static_cast<char>('a' + i % 26);
  }
  for (const bool whole : {false, true}) {
    slow_pipe pipe(whole, 1000);
    EXPECT_TRUE(pipe.take(text));
    EXPECT_EQ(pipe.received, text);
    EXPECT_LT(pipe.pauses, 40);  // it pauses only when nothing fits
  }
  slow_pipe never_drained(true, 0);
  never_drained.held = 4096;
  EXPECT_FALSE(never_drained.take("lost"));
}

}  // namespace
