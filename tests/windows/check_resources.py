#!/usr/bin/env python3
"""Reads the resources back out of the built executable and checks them: the
version fields against the project's version, the copyright against the
license's, and the manifest.

  check_resources.py WINDRES EXE VERSION LICENSE
"""

import re
import subprocess
import sys

WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def main():
    windres, exe, version, license_path = sys.argv[1:5]
    with open(license_path, encoding="utf-8") as f:
        copyright_line = next(line.strip() for line in f if line.startswith("Copyright "))
    listing = subprocess.run([windres, "-i", exe, "-O", "rc"], capture_output=True, text=True)
    if listing.returncode != 0:
        print(f"check_resources: no resources to read in {exe}: {listing.stderr.strip()}")
        return 1
    rc = listing.stdout
    values = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', rc))
    numbers = ", ".join((version.split(".") + ["0"] * 4)[:4])
    expected = {"FileVersion": version, "ProductVersion": version, "ProductName": "fire_stats",
                "OriginalFilename": "fire_stats.exe", "LegalCopyright": copyright_line}
    failures = [f"{k} is {values.get(k)!r}, not {v!r}" for k, v in expected.items()
                if values.get(k) != v]
    if not values.get("FileDescription"):
        failures.append("no FileDescription")
    for fixed in ("FILEVERSION", "PRODUCTVERSION"):
        if f"{fixed} {numbers}\n" not in rc:
            failures.append(f"{fixed} is not {numbers}")
    for needed in ('level=""asInvoker""', WINDOWS_10_AND_11):
        if needed not in rc:
            failures.append(f"the manifest lacks {needed}")
    for failure in failures:
        print("check_resources:", failure)
    if not failures:
        print("resources:", values)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
