#!/usr/bin/env python3
"""Fails unless the Windows executable imports only DLLs that every Windows
machine has: the program must run from a bare copy of the one file.

  check_imports.py OBJDUMP EXE
"""

import fnmatch
import subprocess
import sys

SYSTEM_DLLS = ["kernel32.dll", "msvcrt.dll", "ucrtbase.dll", "api-ms-win-crt-*.dll"]


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
    if foreign:
        print("check_imports: not part of Windows:", ", ".join(foreign))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
