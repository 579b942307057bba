#!/usr/bin/env python3
"""Drives fire_stats through pipes the way a program would: it waits for
each prompt to arrive before it answers. A prompt left in a buffer makes the
wait time out, so this fails if the output is not pushed out before the
program blocks on its input.

  drive_dialogue.py [--crlf] [--utf16] -- COMMAND...

With --utf16 the answers go in UTF-16 behind a byte-order mark, each line
break on its own a moment later: the program must answer on what it has
decoded, not wait for more.
"""

import argparse
import queue
import subprocess
import sys
import threading
import time

from fire_stats_cases import REFUSAL, prompt, results

WAIT_SECONDS = 60  # generous: the first start of an emulator is slow


class Dialogue:
    def __init__(self, command, windows, utf16):
        self.windows = windows
        self.utf16 = utf16
        self.mark = b"\xff\xfe" if utf16 else b""  # goes with the first answer
        self.proc = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.expected = b""
        self.seen = b""
        # Pipes cannot be waited on with select() everywhere (Windows): a
        # thread reads them and hands over what arrives.
        self.chunks = queue.Queue()
        threading.Thread(target=self.read_output, daemon=True).start()

    def read_output(self):
        while chunk := self.proc.stdout.read1(65536):
            self.chunks.put(chunk)
        self.chunks.put(b"")

    def encode(self, text):
        data = text.encode()
        return data.replace(b"\n", b"\r\n") if self.windows else data

    def expect(self, text):
        """Waits until everything expected so far has been written, and nothing else."""
        self.expected += self.encode(text)
        deadline = time.monotonic() + WAIT_SECONDS
        while self.seen != self.expected:
            if not self.expected.startswith(self.seen):
                self.fail(f"unexpected output {self.seen[len(self.expected) - 80:]!r}")
            try:
                chunk = self.chunks.get(timeout=max(deadline - time.monotonic(), 0))
            except queue.Empty:
                self.fail(f"still waiting for {self.expected[len(self.seen):]!r}")
            if not chunk:
                self.fail("output ended early")
            self.seen += chunk

    def send(self, text):
        if self.utf16 and text.endswith("\n") and text != "\n":
            self.send(text[:-1])
            time.sleep(0.05)
            text = "\n"
        data = self.encode(text)
        if self.utf16:
            data, self.mark = self.mark + data.decode().encode("utf-16-le"), b""
        self.proc.stdin.write(data)
        self.proc.stdin.flush()

    def finish(self):
        self.proc.stdin.close()
        status = self.proc.wait(timeout=WAIT_SECONDS)
        rest = b"".join(iter(lambda: self.chunks.get(timeout=WAIT_SECONDS), b""))
        if rest:
            self.fail(f"more output than expected: {rest!r}")
        if status != 0:
            self.fail(f"exit status {status}")

    def fail(self, message):
        self.proc.kill()
        print(f"drive_dialogue: {message}")
        sys.exit(1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--crlf", action="store_true")
    parser.add_argument("--utf16", action="store_true")
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()

    d = Dialogue(args.command, args.crlf, args.utf16)
    d.expect(prompt(1, 2023))
    d.send("500\n")
    d.expect(prompt(1, 2024))
    d.send("99\n")
    d.expect(REFUSAL + prompt(1, 2024))
    for piece in ("1", "50", "\n"):  # one answer arriving in three reads
        time.sleep(0.2)
        d.send(piece)
    d.expect(prompt(2, 2023))
    d.send("1200 1100\n")  # answers two questions at once
    d.expect(prompt(2, 2024) + prompt(3, 2023))
    answers = [300, 300, 800, 1800, 2500, 2400, 150, 1150, 900, 950, 40000, 100]
    questions = [(c, y) for c in range(3, 9) for y in (2023, 2024)][1:]
    for answer, question in zip(answers, questions):
        d.send(f"{answer}\n")
        d.expect(prompt(*question))
    d.send("100\n")
    d.expect(results(150, 40000, 3, "4:1000"))
    d.finish()


if __name__ == "__main__":
    main()
