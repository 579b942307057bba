// Starts fire_stats.exe on an anonymous pipe in non-blocking mode
// (PIPE_NOWAIT), the way Cygwin-based shells (Git Bash, MSYS2) have handed
// pipes to native programs, and fails unless the run is byte for byte the
// one that files give, with exit status 0, and the pipe is left in the mode
// it was given in.
//
//   nowait_pipe_check input FIRE_STATS    the answers come in small pieces, with pauses
//   nowait_pipe_check output FIRE_STATS   thousands of refusals, read back slowly

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view answers =
    "500\r\n600\r\n1200\r\n1100\r\n300\r\n300\r\n800\r\n1800\r\n"
    "2500\r\n2400\r\n150\r\n1150\r\n900\r\n950\r\n40000\r\n100\r\n";
constexpr DWORD time_allowed_ms = 60'000;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "nowait_pipe_check: %s (error %lu)\n", what, GetLastError());
  std::fflush(stderr);
  ExitProcess(1);
}

HANDLE inheritable(HANDLE h) {
  if (!SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
    fail("cannot make a handle inheritable");
  }
  return h;
}

// A file that is gone once the last handle to it, the child's too, is closed.
HANDLE scratch_file() {
  std::array<char, MAX_PATH> name{};
  if (GetTempFileNameA(".", "nwp", 0, name.data()) == 0) {
    fail("cannot name a scratch file");
  }
  const HANDLE h = CreateFileA(name.data(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               TRUNCATE_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    fail("cannot open a scratch file");
  }
  return inheritable(h);
}

void write_all(HANDLE h, std::string_view bytes) {
  DWORD done = 0;
  if (!WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) ||
      done != bytes.size()) {
    fail("cannot write");
  }
}

std::string read_from_start(HANDLE file) {
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  std::string all;
  std::array<char, 4096> chunk{};
  DWORD got = 0;
  while (ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0) {
    all.append(chunk.data(), got);
  }
  return all;
}

HANDLE input_file(std::string_view input) {
  const HANDLE file = scratch_file();
  write_all(file, input);
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  return file;
}

void set_nowait(HANDLE pipe_end) {
  DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  if (!SetNamedPipeHandleState(pipe_end, &mode, nullptr, nullptr)) {
    fail("cannot make the pipe non-blocking");
  }
}

struct pipe_ends {
  HANDLE read;
  HANDLE write;
};

// A pipe whose end for fire_stats (the read end if it is to read) is
// inheritable and non-blocking.
pipe_ends nowait_pipe(bool fire_stats_reads) {
  pipe_ends pipe{};
  if (!CreatePipe(&pipe.read, &pipe.write, nullptr, 0)) {
    fail("cannot make a pipe");
  }
  set_nowait(inheritable(fire_stats_reads ? pipe.read : pipe.write));
  return pipe;
}

void expect_still_nowait(HANDLE pipe_end) {
  DWORD state = 0;
  if (!GetNamedPipeHandleState(pipe_end, &state, nullptr, nullptr, nullptr, nullptr, 0) ||
      (state & PIPE_NOWAIT) == 0) {
    fail("the pipe was not left in the mode it was given in");
  }
}

// fire_stats on the given standard handles, in a job that ends it if this
// program ends first, however that happens.
class child {
 public:
  child(const char* program, HANDLE in, HANDLE out) : job_(CreateJobObjectA(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job_ == nullptr ||
        !SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
      fail("cannot make a job object");
    }
    HANDLE error = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(),
                    &error, 0, TRUE, DUPLICATE_SAME_ACCESS);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = error;
    std::string command_line = std::string("\"") + program + "\"";
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &process_) ||
        !AssignProcessToJobObject(job_, process_.hProcess) ||
        ResumeThread(process_.hThread) == static_cast<DWORD>(-1)) {
      fail("cannot start fire_stats");
    }
    CloseHandle(error);
  }

  child(const child&) = delete;
  child& operator=(const child&) = delete;

  ~child() {
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    CloseHandle(job_);
  }

  [[nodiscard]] bool has_exited() const {
    return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
  }

  DWORD status() const {
    if (WaitForSingleObject(process_.hProcess, time_allowed_ms) != WAIT_OBJECT_0) {
      fail("fire_stats did not finish in time");
    }
    DWORD exit_code = 0;
    GetExitCodeProcess(process_.hProcess, &exit_code);
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    GetProcessTimes(process_.hProcess, &created, &exited, &kernel, &user);
    const auto ms = [](FILETIME t) {
      return (ULONGLONG{t.dwHighDateTime} << 32U | t.dwLowDateTime) / 10'000;
    };
    std::printf("fire_stats: status %lu, %llu ms of CPU in %llu ms\n", exit_code,
                ms(kernel) + ms(user), ms(exited) - ms(created));
    return exit_code;
  }

 private:
  HANDLE job_;
  PROCESS_INFORMATION process_{};
};

struct run {
  std::string output;
  DWORD status;
};

// The run that files give: the one to compare with.
run through_files(const char* program, std::string_view input) {
  const HANDLE in = input_file(input);
  const HANDLE out = scratch_file();
  const DWORD status = child(program, in, out).status();
  run files{read_from_start(out), status};
  CloseHandle(in);
  CloseHandle(out);
  return files;
}

run input_through_pipe(const char* program, std::string_view input) {
  const auto [read_end, write_end] = nowait_pipe(true);
  const HANDLE out = scratch_file();
  const child fire_stats(program, read_end, out);
  for (std::size_t at = 0; at < input.size(); at += 5) {
    Sleep(30);
    write_all(write_end, input.substr(at, 5));
  }
  CloseHandle(write_end);
  const DWORD status = fire_stats.status();
  expect_still_nowait(read_end);
  CloseHandle(read_end);
  run piped{read_from_start(out), status};
  CloseHandle(out);
  return piped;
}

run output_through_pipe(const char* program, std::string_view input) {
  const auto [read_end, write_end] = nowait_pipe(false);
  const HANDLE in = input_file(input);
  const child fire_stats(program, in, write_end);
  std::string output;
  std::array<char, 2048> chunk{};
  for (;;) {  // slower than fire_stats writes, so that it finds the pipe full
    const bool exited = fire_stats.has_exited();
    DWORD ready = 0;
    DWORD got = 0;
    if (!PeekNamedPipe(read_end, nullptr, 0, nullptr, &ready, nullptr)) {
      fail("cannot look into the pipe");
    }
    if (ready == 0 && exited) {
      break;
    }
    if (ready > 0 &&
        ReadFile(read_end, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
      output.append(chunk.data(), got);
    }
    Sleep(1);
  }
  const DWORD status = fire_stats.status();
  expect_still_nowait(write_end);
  CloseHandle(write_end);
  CloseHandle(read_end);
  CloseHandle(in);
  return {output, status};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view direction = argc == 3 ? argv[1] : "";
  if (direction != "input" && direction != "output") {
    std::fprintf(stderr, "usage: nowait_pipe_check input|output FIRE_STATS\n");
    return 2;
  }
  std::string input;
  if (direction == "output") {
    for (int i = 0; i < 5000; ++i) {
      input += "99\r\n";
    }
  }
  input += answers;

  const run files = through_files(argv[2], input);
  const run piped = direction == "input" ? input_through_pipe(argv[2], input)
                                         : output_through_pipe(argv[2], input);
  if (files.status != 0 || piped.status != 0 || piped.output != files.output) {
    const auto differ =
        std::ranges::mismatch(files.output, piped.output).in1 - files.output.begin();
    std::printf(
        "nowait_pipe_check: through files, status %lu and %zu bytes; through the pipe, status %lu "
        "and %zu bytes, parting from those at byte %td\n",
        files.status, files.output.size(), piped.status, piped.output.size(), differ);
    return 1;
  }
  std::printf("nowait_pipe_check: %s through a non-blocking pipe: %zu bytes, as through files\n",
              argv[1], piped.output.size());
  return 0;
}
