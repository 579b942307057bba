// Preloaded into fire_stats by the end-to-end tests (LD_PRELOAD): closing
// standard output fails with EIO, as on a file system that reports lost
// data only when the file is closed (NFS, SMB). The descriptor is closed
// all the same, as close() does even when it reports an error.

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>

extern "C" int close(int fd) {
  using close_function = int (*)(int);
  static const auto real_close = reinterpret_cast<close_function>(dlsym(RTLD_NEXT, "close"));
  const int result = real_close(fd);
  if (fd == STDOUT_FILENO && result == 0) {
    errno = EIO;
    return -1;
  }
  return result;
}
