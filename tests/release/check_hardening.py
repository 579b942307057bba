#!/usr/bin/env python3
"""Fails unless the native release program carries the hardening Debian's
packages carry, as readelf shows it: a position-independent executable, all
relocations read-only and bound at start (RELRO with BIND_NOW), the stack
protector, and fortified C library calls.

  check_hardening.py READELF PROGRAM
"""

import subprocess
import sys


def main():
    readelf, program = sys.argv[1:3]
    out = subprocess.run([readelf, "-hldW", "--dyn-syms", program], check=True,
                         capture_output=True, text=True).stdout
    # "1: 0000000000000000 0 FUNC GLOBAL DEFAULT UND __snprintf_chk@GLIBC_2.3.4 (2)"
    undefined = [line.split() for line in out.splitlines() if " UND " in line]
    symbols = {f[f.index("UND") + 1].split("@")[0] for f in undefined if f[-1] != "UND"}
    checks = {
        "position-independent executable": "DYN (Position-Independent Executable file)" in out,
        "RELRO segment": "GNU_RELRO" in out,
        "bound at start (BIND_NOW)": "BIND_NOW" in out,
        "stack protector": "__stack_chk_fail" in symbols,
        "fortified calls": any(s.endswith("_chk") for s in symbols - {"__stack_chk_fail"}),
    }
    for what, ok in checks.items():
        print(f"{'has' if ok else 'LACKS'}: {what}")
    return 0 if all(checks.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
