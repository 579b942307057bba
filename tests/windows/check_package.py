#!/usr/bin/env python3
"""Builds the download ZIP and checks that it holds the program and the README.

  check_package.py BUILD_DIR VERSION
"""

import pathlib
import subprocess
import sys
import zipfile


def main():
    build, version = pathlib.Path(sys.argv[1]), sys.argv[2]
    subprocess.run(["cpack", "-G", "ZIP"], cwd=build, check=True, capture_output=True)
    archive = build / f"fire_stats-{version}-windows-x86_64.zip"
    names = {pathlib.PurePosixPath(n).name for n in zipfile.ZipFile(archive).namelist()}
    missing = {"fire_stats.exe", "README.md"} - names
    if missing:
        print(f"check_package: {archive.name} lacks {sorted(missing)}; has {sorted(names)}")
        return 1
    print(f"{archive.name}: {sorted(names)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
