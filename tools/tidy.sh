#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over every source file, each in the build
# that compiles it: the native one, the libFuzzer one, and the Windows one,
# whose headers clang-tidy finds through the cross compiler's search list.
# Needs the dev, fuzz and windows presets configured.
set -euo pipefail
cd "$(dirname "$0")/.."

native=(src/count_reader.cpp src/fire_entry.cpp src/fire_tables.cpp src/input_decoder.cpp src/report.cpp
        src/text_output.cpp src/main.cpp src/console_posix.cpp src/*_test.cpp)
status=0
# GCC-only warning options in the compile commands mean nothing to clang.
clang-tidy -p build/dev --quiet --extra-arg=-Wno-unknown-warning-option "${native[@]}" || status=1
clang-tidy -p build/fuzz --quiet fuzz/fuzz_dialogue.cpp || status=1

# GCC's own intrinsics headers are not for clang, which brings its own.
windows_includes=()
while read -r dir; do
  [[ $dir == */include || $dir == */include-fixed ]] && [[ $dir == /usr/lib/gcc/* ]] && continue
  windows_includes+=("--extra-arg=-isystem$dir")
done < <(x86_64-w64-mingw32-g++-posix -E -x c++ -v - </dev/null 2>&1 |
         sed -n '/#include <...> search starts here:/,/End of search list./{/^ /s/^ //p}')
clang-tidy -p build/windows --quiet --extra-arg=--target=x86_64-w64-mingw32 \
  --extra-arg=-Wno-unknown-warning-option "${windows_includes[@]}" src/console_windows.cpp || status=1
exit $status
