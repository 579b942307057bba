#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "console.h"

namespace {

bool would_block(int error) {
  switch (error) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return true;
    default:
      return false;
  }
}

bool wait_until_ready(int fd, short events) {
  pollfd p{fd, events, 0};
  while (::poll(&p, 1, -1) < 0) {
    if (errno != EINTR) {
      return false;
    }
  }
  return true;
}

// Whether a call on `fd` that failed with `error` is to be made again. A
// stream that a parent left non-blocking is neither at its end nor broken
// when it has nothing to give or no room: it is waited on.
bool can_retry(int fd, int error, short events) {
  return error == EINTR || (would_block(error) && wait_until_ready(fd, events));
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    } else if (written == 0 || !can_retry(fd, errno, POLLOUT)) {
      return false;
    }
  }
  return true;
}

}  // namespace

namespace console {

void report_lost_readers_as_failed_writes() {
  static_cast<void>(std::signal(SIGPIPE, SIG_IGN));  // cannot fail for a valid signal
}

std::size_t read_input(std::span<char> into) {
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, into.data(), into.size());
    if (got >= 0 || !can_retry(STDIN_FILENO, errno, POLLIN)) {
      return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
  }
}

bool write_output(std::string_view bytes) {
  return write_all(STDOUT_FILENO, bytes);
}

bool write_error(std::string_view bytes) {
  return write_all(STDERR_FILENO, bytes);
}

// Some file systems (NFS, SMB) report only here that written data was lost.
bool close_output() {
  return ::close(STDOUT_FILENO) == 0;
}

// A terminal window belongs to its shell, which outlives the program.
void hold_window_until_read() {}

}  // namespace console
