#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over every source file, each with the
# compile commands of the build that compiles it: the native one (dev
# preset), the libFuzzer one (fuzz) and the Windows one (windows), whose
# headers clang-tidy finds through the cross compiler's search list. Those
# presets are configured in build/tidy/, once, and nothing is built, so
# that this can run beside any build of them (CI runs it beside all of
# them). Checks as many files at once as there are processors. Exits 1 if
# any file has a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in dev fuzz windows; do
  if [[ ! -f build/tidy/$preset/compile_commands.json ]]; then
    echo "tidy: configuring the $preset preset in build/tidy/$preset"
    cmake --preset "$preset" -B "build/tidy/$preset" -DFIRE_STATS_WINDOWS_TESTS=OFF \
      -DFIRE_STATS_RELEASE_TESTS=OFF >/dev/null
  fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
slots=$(nproc)
running=0
failed=0
finish_one() {
  if ! wait -n; then failed=1; fi
  running=$((running - 1))
}
# clang-tidy FILE ARGS...: in the background, its report printed whole once done.
tidy() {
  ((running < slots)) || finish_one
  local report
  report=$(mktemp -p "$scratch")
  {
    status=0
    clang-tidy --quiet "$@" >"$report" 2>&1 || status=$?
    grep -v ' warnings\? generated\.$' "$report" || true
    exit $status
  } &
  running=$((running + 1))
}

# The unit tests first, as the build compiles them: one translation unit
# that includes each (CMake's unity build), so that GoogleTest's headers,
# most of the work, are read once. The Clang Static Analyzer looks at the
# program's code, not at theirs. GCC-only warning options in the compile
# commands mean nothing to clang.
tidy -p build/tidy/dev --extra-arg=-Wno-unknown-warning-option \
  '--checks=-clang-analyzer-*,-bugprone-suspicious-include' \
  build/tidy/dev/tests/CMakeFiles/fire_stats_tests.dir/Unity/unity_0_cxx.cxx
native=(src/count_reader.cpp src/fire_entry.cpp src/fire_tables.cpp src/input_decoder.cpp
        src/report.cpp src/text_output.cpp src/main.cpp src/console_posix.cpp
        tests/e2e/close_fails.cpp)
for file in "${native[@]}"; do
  tidy -p build/tidy/dev --extra-arg=-Wno-unknown-warning-option "$file"
done
tidy -p build/tidy/fuzz fuzz/fuzz_dialogue.cpp

# GCC's own intrinsics headers are not for clang, which brings its own.
windows_includes=()
while read -r dir; do
  [[ $dir == */include || $dir == */include-fixed ]] && [[ $dir == /usr/lib/gcc/* ]] && continue
  windows_includes+=("--extra-arg=-isystem$dir")
done < <(x86_64-w64-mingw32-g++-posix -E -x c++ -v - </dev/null 2>&1 |
         sed -n '/#include <...> search starts here:/,/End of search list./{/^ /s/^ //p}')
tidy -p build/tidy/windows --extra-arg=--target=x86_64-w64-mingw32 \
  --extra-arg=-Wno-unknown-warning-option "${windows_includes[@]}" src/console_windows.cpp

while ((running > 0)); do finish_one; done
exit $failed
