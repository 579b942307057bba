#!/usr/bin/env python3
"""Types a whole session into fire_stats on a real terminal (tmux) and reads
the screen back: each prompt must be on screen before its answer is typed,
and the lines of a whole session must stand there exactly as written.

  drive_terminal.py [--windows] -- COMMAND...

With --windows, COMMAND is WINE... EXE, and the terminal is a Windows console:
Ctrl-Z then Enter ends the input (rather than Ctrl-D), and a program started
straight from the shell has the console to itself, as from Explorer, so it
must hold the window open until Enter. The same program started through
`cmd /c`, with its output to a write-only console handle, or with its input
or its output redirected must not.

Whatever way the driver ends (done, failed, killed, even with SIGKILL), the
tmux server and the program in it end with it: the session watches the
driver and takes the server down once the driver is gone.

Exits 77 (skipped) when tmux is not installed; under CI, 1.
"""

import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import termios
import time

from fire_stats_cases import (INPUT_ENDED, QUESTIONS, REFUSAL, prompt, results, skipped,
                              transcript)

CLOSING_LINE = "Πάτησε Enter για να κλείσει το παράθυρο."

WAIT_SECONDS = 60
ANSWERS = [500, 600, 1200, 1100, 300, 300, 800, 1800, 2500, 2400, 150, 1150, 900, 950, 40000, 100]


class Terminal:
    opened = 0

    def __init__(self, command, folder, holds_window=False, wine_console=False):
        """`command` is a shell command line; the server's socket goes in
        `folder`; `holds_window` says whether the program is to wait for
        Enter before it exits; `wine_console`, whether the keys typed are
        read through wine's console."""
        Terminal.opened += 1
        self.holds_window = holds_window
        self.wine_console = wine_console
        self.socket = os.path.join(folder, f"tmux-{Terminal.opened}")
        self.tmux_env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
        driver = os.getpid()
        # While the driver lives, a watcher keeps out of the way; once it
        # is gone, the watcher takes the server down, and the program with
        # it. tmux leaves its socket behind, so that goes too.
        watch = f"tail --pid={driver} -s 0.2 -f /dev/null"
        socket = shlex.quote(self.socket)
        watcher = (f"({watch}; tmux -S {socket} kill-server; rm -f {socket})"
                   " </dev/null >/dev/null 2>&1 &")
        self.tmux("-f", "/dev/null", "new-session", "-d", "-x", "250", "-y", "60",
                  watcher
                  # Ctrl-Z must reach the program, as on a Windows console,
                  # rather than suspend it.
                  + " stty susp undef; " + command
                  # The screen stays readable until the driver is done with it.
                  + f"; status=$?; echo; echo exit status $status; {watch}")

    def tmux(self, *args):
        run = subprocess.run(["tmux", "-u", "-S", self.socket, *args], env=self.tmux_env,
                             capture_output=True)
        if run.returncode != 0:  # no pseudo-terminals, say: tmux tells why
            raise RuntimeError(f"tmux failed: {run.stderr.decode(errors='replace')}")
        return run.stdout.decode("utf-8", "replace")

    def screen(self):
        return self.tmux("capture-pane", "-p", "-J", "-S", "-", "-E", "-")

    def wait_for(self, text, count=1):
        self.wait_until(lambda: self.screen().count(text) >= count,
                        f"never saw {text!r} ({count}x) on the screen")

    def expect_lines(self, *blocks):
        """Each block of lines stands whole and unbroken on the screen, in
        order: a stray character on any of them fails, as a stray byte fails
        a piped run."""
        lines = self.screen().split("\n")
        at = 0
        for block in blocks:
            at = next((i for i in range(at, len(lines)) if lines[i : i + len(block)] == block), None)
            if at is None:
                wrong = next((line for line in block if line not in lines), block[0])
                self.fail(f"the screen lacks {wrong!r}, or has it out of place")
            at += len(block)

    def wait_until(self, done, failure):
        deadline = time.monotonic() + WAIT_SECONDS
        while not done():
            if time.monotonic() > deadline:
                self.fail(failure)
            time.sleep(0.1)

    def is_raw(self):
        """Whether the program in the terminal has taken it out of line mode."""
        fd = os.open(self.tmux("display", "-p", "#{pane_tty}").strip(), os.O_RDONLY | os.O_NOCTTY)
        try:
            return not termios.tcgetattr(fd)[3] & termios.ICANON
        finally:
            os.close(fd)

    def type(self, text):
        self.press(text, "Enter")

    def press(self, *keys):
        # Wine's console takes the terminal out of line mode only when the
        # program first reads, which may be well after its prompt is shown.
        # Keys typed before then reach it as a cooked line, and Enter as a
        # bare line feed, which it does not take for Enter.
        if self.wine_console:
            self.wait_until(self.is_raw, "wine's console never read the terminal")
        self.tmux("send-keys", "-t", "0", *keys)

    def finish(self, status):
        """The program's end: the closing line and a wait for Enter where it
        holds its window, nothing of the kind elsewhere; then its status."""
        if self.holds_window:
            self.wait_for(CLOSING_LINE)
            time.sleep(1)
            if "exit status" in self.screen():
                self.fail("the window did not wait for Enter")
            self.press("Enter")
        self.wait_for(f"exit status {status}")
        if not self.holds_window and CLOSING_LINE in self.screen():
            self.fail("the window was held open, though nobody needs it")

    def fail(self, message):
        print(f"drive_terminal: {message}\n--- screen ---\n{self.screen()}")
        self.close()
        sys.exit(1)

    def close(self):
        subprocess.run(["tmux", "-S", self.socket, "kill-server"], capture_output=True)
        if os.path.exists(self.socket):
            os.unlink(self.socket)


RESULTS = results(150, 40000, 4, "4:1000").split("\n")


def wait_for_results(term):
    for line in RESULTS[1:]:
        term.wait_for(line)


def complete_session(term):
    dialogue = []
    for (country, year), answer in zip(QUESTIONS, ANSWERS):
        term.wait_for(prompt(country, year).rstrip())
        if (country, year) == (1, 2024):  # a refusal looks right on screen too
            term.type("abc")
            term.wait_for(REFUSAL.strip())
            term.wait_for(prompt(1, 2024).rstrip(), count=2)
            dialogue += [prompt(1, 2024) + "abc", REFUSAL.strip()]
        if (country, year) == (8, 2024):  # one line typed ahead must not close the window
            term.press(str(answer), "Enter", "700", "Enter")
        else:
            term.type(str(answer))
        dialogue.append(prompt(country, year) + str(answer))
    wait_for_results(term)
    term.finish(0)
    # Each line as the program wrote it, the answer's echo beside each
    # prompt; the line typed ahead may show between the two blocks.
    term.expect_lines(dialogue, RESULTS + (["", CLOSING_LINE] if term.holds_window else []))


def session_ended_early(term, end_keys, answered):
    """`answered` answers, then the end of the input, pressed once."""
    for question, answer in zip(QUESTIONS, ANSWERS[:answered]):
        term.wait_for(prompt(*question).rstrip())
        term.type(str(answer))
    term.wait_for(prompt(*QUESTIONS[answered]).rstrip())
    term.press(*end_keys)
    term.wait_for(INPUT_ENDED.strip())
    term.finish(1)
    if prompt(*QUESTIONS[answered + 1]).rstrip() in term.screen():
        term.fail("what was typed after the end was taken for an answer")
    term.expect_lines([INPUT_ENDED.strip()] + (["", CLOSING_LINE] if term.holds_window else []))


def redirected_session(term):
    wait_for_results(term)
    term.finish(0)


def long_line_session(term):
    """One typed line with 150 refusals: the output reaches the terminal in
    several large pieces, and no character may be cut apart between them."""
    term.wait_for(prompt(1, 2023).rstrip())
    term.type("99 " * 150 + "500")
    term.wait_for(prompt(1, 2024).rstrip())
    screen = term.screen()
    if "\ufffd" in screen or screen.count(REFUSAL.strip()) < 100:
        term.fail("the refusals did not all arrive intact")


def output_to_a_file_session(term, path):
    """Standard output to a file, answers typed at the console: the window
    is not the program's to hold, since the results went elsewhere. Typed
    blind, once the first prompt is in the file."""
    expected = (transcript([], None) + results(150, 40000, 4, "4:1000")).replace("\n", "\r\n")
    term.wait_until(lambda: read_file(path).startswith(prompt(1, 2023).encode()),
                    f"the first prompt never reached {path}")
    term.type(" ".join(map(str, ANSWERS)))
    term.finish(0)
    if read_file(path) != expected.encode():
        term.fail(f"{path} holds {read_file(path)!r}")


def read_file(path):
    """What the file holds so far; nothing before the shell has made it."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return b""


def main():
    # A driver stopped by a signal still closes what it opened.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    if shutil.which("tmux") is None:
        return skipped("drive_terminal", "tmux is not installed")
    args = sys.argv[1:]
    windows = args[:1] == ["--windows"]
    command = args[args.index("--") + 1 :]
    # Whatever follows Ctrl-Z on its line is dropped, as the C runtime drops it.
    end_keys = ["C-z", "700", "Enter"] if windows else ["C-d"]
    direct = shlex.join(command)
    runs = [(complete_session, direct, windows), (long_line_session, direct, windows),
            (lambda t: session_ended_early(t, end_keys, 1), direct, windows)]
    if not windows:
        # At the first prompt, where the program also looks for a byte-order
        # mark. A terminal's end, unlike a pipe's or a Windows console's, is
        # not there again at the next read.
        runs.append((lambda t: session_ended_early(t, end_keys, 0), direct, False))
    with tempfile.TemporaryDirectory() as scratch:
        answers = os.path.join(scratch, "answers.txt")
        with open(answers, "w", encoding="ascii") as f:
            f.write(" ".join(map(str, ANSWERS)) + "\n")
        runs.append((redirected_session, f"{direct} < {shlex.quote(answers)}", False))
        if windows:
            *wine, exe = command
            folder, name = os.path.split(exe)
            in_folder = f"cd {shlex.quote(folder)} && {shlex.join(wine)} cmd /c "
            saved = os.path.join(scratch, "results.txt")
            runs += [(complete_session, in_folder + name, False),
                     (complete_session, in_folder + shlex.quote(f"{name} > CONOUT$"), False),
                     (lambda t: output_to_a_file_session(t, saved),
                      f"{direct} > {shlex.quote(saved)}", False)]
        for session, line, holds_window in runs:
            term = Terminal(line, scratch, holds_window, wine_console=windows)
            try:
                session(term)
            finally:
                term.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
