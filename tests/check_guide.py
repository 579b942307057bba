#!/usr/bin/env python3
"""Fails unless every text that the user's guide quotes as the program's,
between « and », is one of the program's own texts byte for byte: a string
literal of the program's sources, its %d filled in with a number, without
the line breaks that open or close it. The texts the guide must explain
(a refusal, the closing line, the two notices) must be quoted.

  check_guide.py GUIDE SOURCE...
"""

import re
import sys

LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
QUOTE = re.compile(r"«([^»\n]*)»")
MUST_QUOTE = ("Μη έγκυρη τιμή", "Πάτησε Enter", "Η είσοδος τελείωσε", "Σφάλμα εγγραφής")


def program_texts(sources):
    """A pattern for each string literal of the sources."""
    for path in sources:
        with open(path, encoding="utf-8") as f:
            for literal in LITERAL.findall(f.read()):
                text = literal.replace("\\n", "\n").replace('\\"', '"').replace("\\\\", "\\")
                yield re.compile(re.escape(text.strip("\n")).replace("%d", r"\d+"))


def main():
    guide, sources = sys.argv[1], sys.argv[2:]
    with open(guide, encoding="utf-8-sig") as f:
        quotes = QUOTE.findall(f.read())
    texts = list(program_texts(sources))
    failures = [f"«{q}» is not a text of the program" for q in quotes
                if not any(t.fullmatch(q) for t in texts)]
    failures += [f"nothing quoted begins {m!r}" for m in MUST_QUOTE
                 if not any(q.startswith(m) for q in quotes)]
    for failure in failures:
        print("check_guide:", failure)
    if not failures:
        print(f"check_guide: {len(quotes)} quotes, each the program's own")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
