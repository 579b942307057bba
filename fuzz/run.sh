#!/usr/bin/env bash
# Builds the fuzz target and runs it from the seed corpus for a bounded time.
#   fuzz/run.sh [SECONDS]   (default 60)
# New inputs go to a scratch folder; a crashing input is kept in
# build/fuzz/artifacts/ and makes the run fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/artifacts
scratch=$(mktemp -d)
# Stopped (CI runs it in the background), it stops the fuzzer too.
fuzzer=
trap '[[ -z $fuzzer ]] || kill "$fuzzer" 2>/dev/null || true; rm -rf "$scratch"' EXIT
trap 'exit 143' TERM INT
# Inputs of every length from the first second, not only once libFuzzer has
# grown its limit: a dialogue takes sixteen answers at least.
build/fuzz/fire_stats_fuzz -max_total_time="$seconds" -max_len=4096 -len_control=0 \
  -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/ "$scratch" fuzz/corpus &
fuzzer=$!
wait "$fuzzer"
