#!/usr/bin/env python3
"""Types a whole session into fire_stats on a real terminal (tmux) and reads
the screen back: each prompt must be on screen before its answer is typed,
and the prompts and results must read as Greek.

  drive_terminal.py [--end-keys KEYS] -- COMMAND...

KEYS are the tmux keys that end the input at this terminal: "C-d" (the
default) for a Unix terminal, "C-z Enter" for a Windows console.

Exits 77 (skipped) when tmux is not installed.
"""

import os
import shlex
import shutil
import subprocess
import sys
import time

from fire_stats_cases import INPUT_ENDED, prompt, results

WAIT_SECONDS = 60
ANSWERS = [500, 600, 1200, 1100, 300, 300, 800, 1800, 2500, 2400, 150, 1150, 900, 950, 40000, 100]


class Terminal:
    opened = 0

    def __init__(self, command):
        Terminal.opened += 1
        self.socket = f"fire_stats_test_{os.getpid()}_{Terminal.opened}"
        self.tmux_env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
        self.tmux("-f", "/dev/null", "new-session", "-d", "-x", "250", "-y", "60",
                  # Ctrl-Z must reach the program, as on a Windows console,
                  # rather than suspend it.
                  "stty susp undef; " + shlex.join(command)
                  + "; status=$?; echo; echo exit status $status; sleep 600")

    def tmux(self, *args):
        return subprocess.run(["tmux", "-u", "-L", self.socket, *args], env=self.tmux_env,
                              check=True, capture_output=True).stdout.decode("utf-8", "replace")

    def screen(self):
        return self.tmux("capture-pane", "-p", "-J", "-S", "-", "-E", "-")

    def wait_for(self, text, count=1):
        deadline = time.monotonic() + WAIT_SECONDS
        while self.screen().count(text) < count:
            if time.monotonic() > deadline:
                self.fail(f"never saw {text!r} ({count}x) on the screen")
            time.sleep(0.1)

    def type(self, text):
        self.press(text, "Enter")

    def press(self, *keys):
        self.tmux("send-keys", "-t", "0", *keys)

    def fail(self, message):
        print(f"drive_terminal: {message}\n--- screen ---\n{self.screen()}")
        self.close()
        sys.exit(1)

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], capture_output=True)


def complete_session(term):
    questions = [(c, y) for c in range(1, 9) for y in (2023, 2024)]
    for (country, year), answer in zip(questions, ANSWERS):
        term.wait_for(prompt(country, year).rstrip())
        if (country, year) == (1, 2024):  # a refusal looks right on screen too
            term.type("abc")
            term.wait_for("Μη έγκυρη τιμή. Ξαναπροσπάθησε.")
            term.wait_for(prompt(1, 2024).rstrip(), count=2)
        term.type(str(answer))
    for line in results(150, 40000, 4, "4:1000").strip("\n").split("\n"):
        term.wait_for(line)
    term.wait_for("exit status 0")


def session_ended_early(term, end_keys):
    term.wait_for(prompt(1, 2023).rstrip())
    term.type("500")
    term.wait_for(prompt(1, 2024).rstrip())
    term.press(*end_keys)
    term.wait_for(INPUT_ENDED.strip())
    term.wait_for("exit status 1")


def long_line_session(term):
    """One typed line with 150 refusals: the output reaches the terminal in
    several large pieces, and no character may be cut apart between them."""
    term.wait_for(prompt(1, 2023).rstrip())
    term.type("99 " * 150 + "500")
    term.wait_for(prompt(1, 2024).rstrip())
    screen = term.screen()
    if "\ufffd" in screen or screen.count("Μη έγκυρη τιμή. Ξαναπροσπάθησε.") < 100:
        term.fail("the refusals did not all arrive intact")


def main():
    if shutil.which("tmux") is None:
        print("drive_terminal: tmux is not installed; skipped")
        return 77
    args = sys.argv[1:]
    end_keys = ["C-d"]
    if args[:1] == ["--end-keys"]:
        end_keys, args = args[1].split(), args[2:]
    command = args[args.index("--") + 1 :] if "--" in args else args
    sessions = (complete_session, long_line_session, lambda t: session_ended_early(t, end_keys))
    for session in sessions:
        term = Terminal(command)
        try:
            session(term)
        finally:
            term.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
