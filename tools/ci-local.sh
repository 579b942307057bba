#!/usr/bin/env bash
# Runs .ci/run as CI runs it: on a fresh clone of what is committed, with CI
# set. The clone, with its builds and wine prefix (about 750 MB), is removed
# however the run ends, and its wine server with it.
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD

clone=$(mktemp -d)
cleanup() {
  # Before the prefix goes: its server's folder is found from it.
  local prefix=$clone/build/dev/wine-prefix
  if [[ -d $prefix ]]; then
    env -u TMPDIR WINEPREFIX="$prefix" python3 "$here/tests/windows/wine_prefix.py" stop || true
  fi
  rm -rf "$clone"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

git clone -q . "$clone"
cd "$clone"
CI=true bash .ci/run
