#!/usr/bin/env python3
"""Builds the release afresh in another folder and time zone, and fails
unless the program and the archive come out byte for byte the same as those
of the reference build.

  check_reproducible.py CMAKE CPACK REFERENCE_DIR WORK_DIR PROGRAM ARCHIVE -- CONFIGURE_ARGS...

CONFIGURE_ARGS go to CMake with the source folder; the reference build's
archive is the one its package test made.
"""

import os
import pathlib
import shutil
import subprocess
import sys


def main():
    cmake, cpack, reference, work, program, archive = sys.argv[1:7]
    configure = sys.argv[sys.argv.index("--") + 1 :]
    reference, work = pathlib.Path(reference), pathlib.Path(work)
    shutil.rmtree(work, ignore_errors=True)
    env = dict(os.environ, TZ="JST-9")
    for step in ([cmake, "-B", work, "-DCMAKE_BUILD_TYPE=Release", *configure],
                 [cmake, "--build", work], [cpack]):
        subprocess.run(step, cwd=work if step[0] == cpack else None, env=env, check=True,
                       stdout=subprocess.DEVNULL)
    differ = 0
    for name in (program, archive):
        made, wanted = work / name, reference / name
        same = made.exists() and wanted.exists() and made.read_bytes() == wanted.read_bytes()
        print(f"{name}: {'identical' if same else 'differs, or is missing'}")
        differ += not same
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
