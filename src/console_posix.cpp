#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "console.h"

namespace {

// A reader that has gone away must show up as a failed write, reported as
// such, not as a silent death by signal.
[[maybe_unused]] const bool sigpipe_ignored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

namespace console {

std::size_t read_input(std::span<char> into) {
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, into.data(), into.size());
    if (got >= 0) {
      return static_cast<std::size_t>(got);
    }
    if (errno != EINTR) {
      return 0;
    }
  }
}

bool write_output(std::string_view bytes) {
  return write_all(STDOUT_FILENO, bytes);
}

bool write_error(std::string_view bytes) {
  return write_all(STDERR_FILENO, bytes);
}

}  // namespace console
