"""What a run of fire_stats must write, worked out independently of its code.

Cases live in cases.txt. A case names its input and what the dialogue should
do with it; the transcript it implies is spelled out here from the program's
texts, so a case stays short and a wrong byte anywhere still fails it.
"""

import re

QUESTIONS = [(country, year) for country in range(1, 9) for year in (2023, 2024)]

REFUSAL = "Μη έγκυρη τιμή. Ξαναπροσπάθησε.\n"
INPUT_ENDED = "\nΗ είσοδος τελείωσε πριν δοθούν όλες οι τιμές.\n"
WRITE_ERROR = "\nΣφάλμα εγγραφής στην τυπική έξοδο.\n"
NOTICES = {"none": "", "input-ended": INPUT_ENDED, "write-error": WRITE_ERROR}


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
        self.stdin = fields.pop("stdin", "pipe")  # or: closed, slow-nonblocking
        self.stdout = fields.pop("stdout", "pipe")  # or: full, closed, broken-pipe, slow-nonblocking
        self.status = int(fields.pop("status"))
        self.stderr = NOTICES[fields.pop("stderr", "none")]
        refused = [(1, 2023)] * flood + [question(t) for t in fields.pop("refused", "").split()]
        stops = fields.pop("stops", None)
        report = fields.pop("results", None)
        if fields:
            raise ValueError(f"{name}: unknown fields {sorted(fields)}")
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
