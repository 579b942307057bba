"""What a run of fire_stats must write, worked out independently of its code.

Cases live in cases.txt. A case names its input and what the dialogue should
do with it; the transcript it implies is spelled out here from the program's
texts, so a case stays short and a wrong byte anywhere still fails it.
"""

import os
import re
import sys

QUESTIONS = [(country, year) for country in range(1, 9) for year in (2023, 2024)]

REFUSAL = "Μη έγκυρη τιμή. Ξαναπροσπάθησε.\n"
INPUT_ENDED = "\nΗ είσοδος τελείωσε πριν δοθούν όλες οι τιμές.\n"
WRITE_ERROR = "\nΣφάλμα εγγραφής στην τυπική έξοδο.\n"
NOTICES = {"none": "", "input-ended": INPUT_ENDED, "write-error": WRITE_ERROR}


# Where each way of connecting a stream can be set up and means something:
# "linux" is the program run natively there, "wine" the Windows build run
# under wine on Linux, "windows" a native run on Windows. A closed stream
# and /dev/full need POSIX; wine passes neither the non-blocking mode of a
# stream nor a failing close() on to the program.
EVERYWHERE = {"linux", "wine", "windows"}
POSIX = {"linux", "wine"}
STDIN = {"pipe": EVERYWHERE, "closed": POSIX, "slow-nonblocking": {"linux"}}
STDOUT = {"pipe": EVERYWHERE, "broken-pipe": EVERYWHERE, "full": POSIX, "closed": POSIX,
          "null": EVERYWHERE, "slow-nonblocking": {"linux"}, "lost-at-close": {"linux"}}
# Standard output that goes where nothing can be read back.
UNREAD = {"full", "closed", "broken-pipe", "null"}


def skipped(tool, reason):
    """The exit status of a test that cannot run for want of a tool: 77, which
    CTest reports as skipped; under CI (CI set) 1, a failure, so that a tool
    that failed to install cannot leave a run green without its tests."""
    if os.environ.get("CI"):
        print(f"{tool}: missing under CI: {reason}")
        return 1
    print(f"{tool}: skipped: {reason}")
    return 77


def prompt(country, year):
    return f"Χώρα {country}:Δώσε αριθμό πυρκαγιών για το {year} (100 έως 50000): "


def results(lowest, highest, rising, largest):
    text = (
        "\n--- Αποτελέσματα Στατιστικής Ανάλυσης ---"
        f"\nΜικρότερος αριθμός πυρκαγιών το 2023: {lowest}"
        f"\nΜεγαλύτερος αριθμός πυρκαγιών το 2023: {highest}"
        f"\nAριθμός χωρών με αύξηση πυρκαγιών το 2024: {rising}"
    )
    if largest == "none":
        return text + "\nΚαμία χώρα δεν είχε αύξηση πυρκαγιών το 2024."
    country, increase = largest.split(":")
    return text + f"\nΗ χώρα {country} είχε την μεγαλύτερη αύξηση πυρκαγιών: {increase}"


def question(token):
    country, year = token.split("/")
    return int(country), int(year)


def unescape(text):
    """Bytes of a case's input: UTF-8 text with \\n \\r \\t \\v \\f \\\\ and \\xHH."""
    simple = {"n": b"\n", "r": b"\r", "t": b"\t", "v": b"\v", "f": b"\f", "\\": b"\\"}
    out = bytearray()
    i = 0
    while i < len(text):
        if text[i] != "\\":
            out += text[i].encode()
            i += 1
        elif text[i + 1] == "x":
            out.append(int(text[i + 2 : i + 4], 16))
            i += 4
        else:
            out += simple[text[i + 1]]
            i += 2
    return bytes(out)


class Case:
    def __init__(self, name, fields):
        self.name = name
        flood = int(fields.pop("flood", "0"))
        self.input = b"99\n" * flood + unescape(fields.pop("input", ""))
        self.encoding = fields.pop("encoding", "utf-8")  # or: utf-16le, with its byte-order mark
        self.args = fields.pop("args", "").split()
        self.stdin = fields.pop("stdin", "pipe")
        self.stdout = fields.pop("stdout", "pipe")
        self.platforms = STDIN[self.stdin] & STDOUT[self.stdout]
        self.status = int(fields.pop("status"))
        self.stderr = NOTICES[fields.pop("stderr", "none")]
        refusals = fields.pop("refused", "").split()
        refused = [(1, 2023)] * flood + [question(t) for t in refusals]
        stops = fields.pop("stops", None)
        report = fields.pop("results", None)
        if fields:
            raise ValueError(f"{name}: unknown fields {sorted(fields)}")
        self.expected_stdout = None  # not checked
        if self.stdout in UNREAD:
            if stops or report or refusals:
                raise ValueError(f"{name}: nothing written to {self.stdout} can be checked")
            return
        if (stops is None) == (report is None):
            raise ValueError(f"{name}: give exactly one of 'stops' and 'results'")
        self.expected_stdout = transcript(refused, stops and question(stops))
        if report:
            self.expected_stdout += results(*report.split())


def transcript(refused, stop_at):
    """The prompts and refusals, up to and including the question the input ended at."""
    text = ""
    for q in QUESTIONS:
        text += prompt(*q) + (REFUSAL + prompt(*q)) * refused.count(q)
        if q == stop_at:
            break
    return text


def load(path):
    cases, name, fields = [], None, {}
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        header = re.fullmatch(r"\[(\w+)\]", line)
        if header:
            if name:
                cases.append(Case(name, fields))
            name, fields = header.group(1), {}
        else:
            key, _, value = line.partition(":")
            fields[key.strip()] = value.strip()
    if name:
        cases.append(Case(name, fields))
    return cases


if __name__ == "__main__":
    # fire_stats_cases.py PLATFORM CASES: the names of the cases that apply there.
    platform, path = sys.argv[1:3]
    print("\n".join(c.name for c in load(path) if platform in c.platforms))
