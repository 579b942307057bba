#!/usr/bin/env bash
# Runs .ci/run as CI runs it: on a fresh clone of what is committed, with CI
# set. The clone, with its builds and wine prefix (about 750 MB), is removed
# however the run ends, and its wine server with it.
set -euo pipefail
cd "$(dirname "$0")/.."

clone=$(mktemp -d)
cleanup() {
  local wine=$clone/build/dev
  if [[ -d $wine/wine-prefix ]] && command -v wineserver >/dev/null; then
    WINEPREFIX=$wine/wine-prefix TMPDIR=$wine/wine-tmp wineserver -k 2>/dev/null || true
  fi
  rm -rf "$clone"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

git clone -q . "$clone"
cd "$clone"
CI=true bash .ci/run
