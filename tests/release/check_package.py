#!/usr/bin/env python3
"""Makes the release archive in a build folder with CPack and checks that it
holds exactly the expected files, under one folder named like the archive,
and that SHA256SUMS beside it lists the archive and the bare program with
their right checksums, as `sha256sum -c` would check them. Beside the
program, a ZIP holds only text files that a double-click on Windows opens:
named .txt, with CRLF line breaks, and with a UTF-8 byte-order mark where
they hold more than ASCII, without which Notepad may not show the Greek.

  check_package.py CPACK BUILD_DIR ARCHIVE FILE...

The FILEs are paths inside the archive's folder, the program's first.
"""

import hashlib
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


def wrong_windows_texts(archive):
    """What is wrong with the documents in a ZIP: a list, empty if nothing."""
    problems = []
    with zipfile.ZipFile(archive) as z:
        for name in z.namelist():
            if name.endswith(("/", ".exe")):
                continue
            data = z.read(name)
            if not name.endswith(".txt"):
                problems.append(f"{name} is not named .txt")
            if data.count(b"\n") != data.count(b"\r\n"):
                problems.append(f"{name} has line breaks other than CRLF")
            if not data.isascii() and not data.startswith(b"\xef\xbb\xbf"):
                problems.append(f"{name} is not ASCII and has no byte-order mark")
    return problems


def wrong_sums(build, expected_names):
    """What is wrong with SHA256SUMS in `build`: a list, empty if nothing."""
    sums = build / "SHA256SUMS"
    if not sums.exists():
        return ["there is no SHA256SUMS"]
    listed = dict(reversed(line.split("  ", 1)) for line in sums.read_text().splitlines())
    problems = []
    if set(listed) != expected_names:
        problems.append(f"SHA256SUMS lists {sorted(listed)}, not {sorted(expected_names)}")
    for name, digest in listed.items():
        path = build / name
        if not path.exists() or hashlib.sha256(path.read_bytes()).hexdigest() != digest:
            problems.append(f"SHA256SUMS: {name}: FAILED")
    return problems


def main():
    cpack, build, name, files = sys.argv[1], pathlib.Path(sys.argv[2]), sys.argv[3], sys.argv[4:]
    (build / "SHA256SUMS").unlink(missing_ok=True)
    subprocess.run([cpack], cwd=build, check=True, capture_output=True)
    archive = build / name
    top = name.removesuffix(".zip").removesuffix(".tar.gz")
    expected = {f"{top}/{f}" for f in files}
    found = members(archive)
    problems = wrong_sums(build, {name, pathlib.PurePosixPath(files[0]).name})
    if archive.suffix == ".zip":
        problems += wrong_windows_texts(archive)
    if found != expected:
        problems.append(f"{archive.name} holds {sorted(found)}, not {sorted(expected)}")
    for problem in problems:
        print("check_package:", problem)
    if not problems:
        print(f"{archive.name}: {sorted(found)}, and SHA256SUMS checks")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
