#!/usr/bin/env python3
"""Reads the resources back out of the built executable and checks them: the
version fields against the project's version, the copyright against the
license's, and the manifest. The version information comes in U.S. English
and in Greek, and the description that Task Manager shows as the program's
name is short in both.

  check_resources.py WINDRES EXE VERSION LICENSE
"""

import re
import subprocess
import sys

WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def block_values(rc, block):
    """The values of one StringFileInfo block of windres's listing; a wide
    string's \\x escapes decoded."""
    body = re.search(rf'BLOCK "{block}"\s*BEGIN(.*?)END', rc, re.S)
    values = re.findall(r'VALUE "(\w+)", (L?)"([^"]*)"', body.group(1) if body else "")
    return {name: re.sub(r"\\x([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)), text)
            if wide else text for name, wide, text in values}


def main():
    windres, exe, version, license_path = sys.argv[1:5]
    with open(license_path, encoding="utf-8") as f:
        copyright_line = next(line.strip() for line in f if line.startswith("Copyright "))
    listing = subprocess.run([windres, "-i", exe, "-O", "rc"], capture_output=True, text=True)
    if listing.returncode != 0:
        print(f"check_resources: no resources to read in {exe}: {listing.stderr.strip()}")
        return 1
    rc = listing.stdout
    numbers = ", ".join((version.split(".") + ["0"] * 4)[:4])
    expected = {"FileVersion": version, "ProductVersion": version, "ProductName": "fire_stats",
                "OriginalFilename": "fire_stats.exe", "LegalCopyright": copyright_line}
    failures = []
    blocks = {"U.S. English": block_values(rc, "040904B0"), "Greek": block_values(rc, "040804B0")}
    for language, values in blocks.items():
        failures += [f"{language}: {k} is {values.get(k)!r}, not {v!r}"
                     for k, v in expected.items() if values.get(k) != v]
        description = values.get("FileDescription", "")
        if not 0 < len(description) <= 30 or description.endswith("."):
            failures.append(f"{language}: FileDescription {description!r} is not a short name")
    if not re.search(r"[\u0370-\u03ff]", blocks["Greek"].get("FileDescription", "")):
        failures.append("Greek: the FileDescription is not in Greek")
    if '"Translation", 0x409, 1200, 0x408, 1200' not in rc:
        failures.append("the translation table does not list U.S. English and Greek")
    for fixed in ("FILEVERSION", "PRODUCTVERSION"):
        if f"{fixed} {numbers}\n" not in rc:
            failures.append(f"{fixed} is not {numbers}")
    for needed in ('level=""asInvoker""', WINDOWS_10_AND_11):
        if needed not in rc:
            failures.append(f"the manifest lacks {needed}")
    for failure in failures:
        print("check_resources:", failure)
    if not failures:
        print("resources:", blocks)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
