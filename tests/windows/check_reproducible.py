#!/usr/bin/env python3
"""Builds the Windows release twice, from scratch, in two different folders
and time zones, with nothing but the toolchain file, and fails unless the
executable and the ZIP come out byte for byte the same.

  check_reproducible.py SOURCE_DIR WORK_DIR
"""

import os
import pathlib
import shutil
import subprocess
import sys


def build(source, folder, time_zone):
    shutil.rmtree(folder, ignore_errors=True)
    env = dict(os.environ, TZ=time_zone)
    env.pop("SOURCE_DATE_EPOCH", None)
    steps = [["cmake", "-S", source, "-B", folder, "-DCMAKE_BUILD_TYPE=Release",
              f"-DCMAKE_TOOLCHAIN_FILE={source}/cmake/mingw-w64-x86_64.cmake",
              "-DCMAKE_COMPILE_WARNING_AS_ERROR=ON"],
             ["cmake", "--build", folder, "--parallel", "2"],
             ["cpack", "-G", "ZIP"]]
    for step in steps:
        subprocess.run(step, cwd=folder if step[0] == "cpack" else None, env=env, check=True,
                       stdout=subprocess.DEVNULL)
    return {path.name: path.read_bytes() for path in
            [folder / "fire_stats.exe", *folder.glob("fire_stats-*-windows-x86_64.zip")]}


def main():
    source, work = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    first = build(source, work / "first", "UTC0")
    second = build(source, work / "somewhere" / "else", "JST-9")
    if len(first) != 2 or first.keys() != second.keys():
        print(f"check_reproducible: the builds made {sorted(first)} and {sorted(second)}")
        return 1
    differ = [name for name in first if first[name] != second[name]]
    for name in sorted(first):
        print(f"{name}: {len(first[name])} bytes, {'differs' if name in differ else 'identical'}")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
