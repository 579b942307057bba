#!/usr/bin/env python3
"""Runs one case of cases.txt against a fire_stats executable and compares
standard output, standard error and the exit status byte for byte.

  run_case.py CASES NAME -- COMMAND...

With --crlf the run is held to Windows text conventions: line breaks in the
input, and in both expected outputs, become CRLF. --close-fails names the
library that, preloaded, makes the program's close() of its standard output
fail (close_fails.cpp), for the cases that need it.
"""

import argparse
import errno
import os
import re
import subprocess
import sys
import tempfile
import threading
import time

import fire_stats_cases


def crlf(data):
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def encode(case, windows):
    data = crlf(case.input) if windows else case.input
    if case.encoding == "utf-16le":
        data = b"\xff\xfe" + data.decode("utf-8").encode("utf-16-le")
    return data


def feed_slowly(fd, data):
    """Writes `data` to `fd` in four pieces, 0.1 s apart, then closes it."""
    step = len(data) // 4 + 1
    for at in range(0, len(data), step):
        time.sleep(0.1)
        os.write(fd, data[at : at + step])
    os.close(fd)


def read_slowly(fd, into):
    """Reads `fd` to its end in small pieces with pauses, slower than the program writes."""
    while chunk := os.read(fd, 4096):
        into.write(chunk)
        time.sleep(0.001)
    os.close(fd)


def nonblocking_pipe(child_end):
    """A pipe whose end at index `child_end` (0 read, 1 write) is non-blocking."""
    ends = os.pipe()
    os.set_blocking(ends[child_end], False)
    return ends


def run(case, command, windows, close_fails):
    stdin_data = encode(case, windows)
    env = None
    if case.stdout == "lost-at-close":
        env = dict(os.environ, LD_PRELOAD=close_fails)
    stdin_fd = subprocess.PIPE if case.stdin == "pipe" else subprocess.DEVNULL
    stdout_fd = None
    if case.stdin == "slow-nonblocking":
        stdin_fd, feeder = nonblocking_pipe(0)
    if case.stdout == "full":
        stdout_fd = os.open("/dev/full", os.O_WRONLY)
    elif case.stdout == "null":
        stdout_fd = os.open(os.devnull, os.O_WRONLY)
    elif case.stdout == "broken-pipe":
        read_end, stdout_fd = os.pipe()
        os.close(read_end)
    elif case.stdout == "slow-nonblocking":
        slow_reader, stdout_fd = nonblocking_pipe(1)
    posix = {"preexec_fn": lambda: closed(case)} if os.name == "posix" else {}
    with tempfile.TemporaryFile() as captured_out, tempfile.TemporaryFile() as captured_err:
        proc = subprocess.Popen(
            command + case.args,
            stdin=stdin_fd,
            stdout=stdout_fd if stdout_fd is not None else captured_out,
            stderr=captured_err,
            env=env,
            **posix,
        )
        try:
            if stdout_fd is not None:
                os.close(stdout_fd)
            if case.stdin == "slow-nonblocking":
                os.close(stdin_fd)
                threading.Thread(target=feed_slowly, args=(feeder, stdin_data), daemon=True).start()
            elif case.stdin == "pipe":
                try:
                    proc.stdin.write(stdin_data)
                    proc.stdin.close()
                except OSError as error:
                    # A program that has stopped reading: BrokenPipeError on
                    # POSIX, EINVAL on Windows (as subprocess itself allows).
                    if not isinstance(error, BrokenPipeError) and error.errno != errno.EINVAL:
                        raise
            if case.stdout == "slow-nonblocking":
                read_slowly(slow_reader, captured_out)
            status = proc.wait(timeout=60)
        finally:
            if proc.poll() is None:  # a program that hangs ends with its test
                proc.kill()
                proc.wait()
        captured_out.seek(0)
        captured_err.seek(0)
        return captured_out.read(), captured_err.read(), status


def closed(case):
    """In the child: close the streams a case wants closed."""
    if case.stdin == "closed":
        os.close(0)
    if case.stdout == "closed":
        os.close(1)


# A line of wine's own diagnostics (WINEDEBUG), such as
# "0024:err:module:import_dll Library X not found".
WINE_DIAGNOSTIC = re.compile(rb"^[0-9a-f]{4}:(?:err|warn|fixme|trace):.*\n", re.MULTILINE)


def split_wine_diagnostics(err):
    """Standard error without wine's diagnostics, and those diagnostics."""
    return WINE_DIAGNOSTIC.sub(b"", err), b"".join(WINE_DIAGNOSTIC.findall(err))


def describe(expected, actual):
    """Where two results part, with a little context, readable."""
    if not isinstance(expected, bytes):
        return f"  expected {expected}, got {actual}"
    at = next((i for i, (a, b) in enumerate(zip(expected, actual)) if a != b),
              min(len(expected), len(actual)))
    start = max(0, at - 60)
    show = lambda b: b[start : at + 60].decode("utf-8", "backslashreplace")
    return (f"  first difference at byte {at} of {len(expected)} expected, {len(actual)} written\n"
            f"  expected: ...{show(expected)!r}\n  actual:   ...{show(actual)!r}")


def main():
    # A Windows console or CI runner may print in a legacy code page
    # (cp1252): Greek it cannot show is escaped, not a lost report.
    sys.stdout.reconfigure(errors="backslashreplace")
    parser = argparse.ArgumentParser()
    parser.add_argument("--crlf", action="store_true")
    parser.add_argument("--close-fails")
    parser.add_argument("cases")
    parser.add_argument("name")
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()

    case = next(c for c in fire_stats_cases.load(args.cases) if c.name == args.name)
    expected_out = (case.expected_stdout or "").encode()
    expected_err = case.stderr.encode()
    if args.crlf:
        expected_out, expected_err = crlf(expected_out), crlf(expected_err)

    out, err, status = run(case, args.command, args.crlf, args.close_fails)
    err, wine_said = split_wine_diagnostics(err)
    failures = []
    if case.expected_stdout is not None and out != expected_out:
        failures.append(("standard output", expected_out, out))
    if err != expected_err:
        failures.append(("standard error", expected_err, err))
    if status != case.status:
        failures.append(("exit status", case.status, status))
    for what, expected, actual in failures:
        print(f"{case.name}: {what} differs")
        print(describe(expected, actual))
    if failures and not out and not err:
        print(f"{case.name}: nothing on either stream: the program never ran, or both failed")
    if failures and wine_said:
        print("wine's own diagnostics:\n" + wine_said.decode(errors="replace"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
