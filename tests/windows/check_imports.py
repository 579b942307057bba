#!/usr/bin/env python3
"""Fails unless the Windows executable imports only DLLs that every Windows
machine has (the program must run from a bare copy of the one file), and
nothing that would change the console's code page, mode or the locale (the
console must be left as it was found).

  check_imports.py OBJDUMP EXE
"""

import fnmatch
import subprocess
import sys

SYSTEM_DLLS = ["kernel32.dll", "msvcrt.dll", "ucrtbase.dll", "api-ms-win-crt-*.dll"]
CONSOLE_CHANGERS = {"SetConsoleOutputCP", "SetConsoleCP", "SetConsoleMode", "setlocale",
                    "_wsetlocale", "_setmode"}


def main():
    objdump, exe = sys.argv[1:3]
    listing = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True)
    dlls = [line.split(":", 1)[1].strip() for line in listing.stdout.splitlines()
            if line.strip().startswith("DLL Name:")]
    if not dlls:
        print(f"check_imports: no import table found in {exe}")
        return 1
    foreign = [d for d in dlls if not any(fnmatch.fnmatch(d.lower(), p) for p in SYSTEM_DLLS)]
    print("imports:", ", ".join(dlls))
    functions = {line.split()[-1] for line in listing.stdout.splitlines()
                 if len(line.split()) == 3 and line.split()[0].isalnum()}
    changers = sorted(CONSOLE_CHANGERS & functions)
    if foreign:
        print("check_imports: not part of Windows:", ", ".join(foreign))
    if changers:
        print("check_imports: would change the console or locale:", ", ".join(changers))
    return 1 if foreign or changers else 0


if __name__ == "__main__":
    sys.exit(main())
