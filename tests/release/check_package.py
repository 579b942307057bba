#!/usr/bin/env python3
"""Makes the release archive in a build folder with CPack and checks that it
holds exactly the expected files, under one folder named like the archive.

  check_package.py CPACK BUILD_DIR ARCHIVE FILE...
"""

import pathlib
import subprocess
import sys
import tarfile
import zipfile


def members(archive):
    if archive.suffix == ".zip":
        return {n for n in zipfile.ZipFile(archive).namelist() if not n.endswith("/")}
    with tarfile.open(archive) as tar:
        return {m.name for m in tar.getmembers() if m.isfile()}


def main():
    cpack, build, name, files = sys.argv[1], pathlib.Path(sys.argv[2]), sys.argv[3], sys.argv[4:]
    subprocess.run([cpack], cwd=build, check=True, capture_output=True)
    archive = build / name
    top = name.removesuffix(".zip").removesuffix(".tar.gz")
    expected = {f"{top}/{f}" for f in files}
    found = members(archive)
    if found != expected:
        print(f"check_package: {archive.name} holds {sorted(found)}, not {sorted(expected)}")
        return 1
    print(f"{archive.name}: {sorted(found)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
