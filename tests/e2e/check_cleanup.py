#!/usr/bin/env python3
"""Starts drive_terminal.py on a program that hangs, kills the driver with
SIGKILL while it waits for a prompt that never comes, and fails unless, a
few seconds later, nothing that the driver started is left: no tmux server,
no shell, no program.

  check_cleanup.py DRIVE_TERMINAL

Exits 77 (skipped) when tmux is not installed; under CI, 1.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from fire_stats_cases import skipped


def processes_with(marker):
    """Live processes whose command line holds `marker`: (pid, command line)."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                command = f.read().replace(b"\0", b" ").decode(errors="replace")
        except OSError:  # gone meanwhile
            continue
        if marker in command:
            found.append((int(pid), command))
    return found


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


def main():
    if shutil.which("tmux") is None:
        return skipped("check_cleanup", "tmux is not installed")
    # A driver killed outright cannot remove its own temporary files: it
    # makes them in a folder of this check's, which goes with the check.
    with tempfile.TemporaryDirectory() as scratch:
        return check(dict(os.environ, TMPDIR=scratch))


def check(env):
    # Every process the driver starts carries the marker in its command line:
    # the tmux server and the shell get the whole command, the program its
    # arguments.
    marker = f"hangs-for-check-cleanup-{os.getpid()}"
    hang = [sys.executable, "-c", "import time; time.sleep(3600)", marker]
    driver = subprocess.Popen([sys.executable, sys.argv[1], "--", *hang], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program_started = wait_until(
        lambda: any(pid != driver.pid and c.startswith(sys.executable)
                    for pid, c in processes_with(marker)), 30)
    driver.kill()
    driver.wait()
    if not program_started:
        print("check_cleanup: the driver never started the program")
        return 1
    if wait_until(lambda: not processes_with(marker), 5):
        print("check_cleanup: nothing the killed driver started is left")
        return 0
    left = processes_with(marker)
    print("check_cleanup: left behind by the killed driver:")
    for pid, command in left:
        print(f"  {pid}: {command}")
        os.kill(pid, signal.SIGKILL)  # this check leaves nothing behind either
    return 1


if __name__ == "__main__":
    sys.exit(main())
