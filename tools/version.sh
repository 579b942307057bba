#!/usr/bin/env bash
# Prints the project's version as the CMakeLists.txt beside this script sets
# it: the version that a release's tag must name.
set -euo pipefail
lists=$(dirname "$0")/../CMakeLists.txt
version=$(sed -n 's/^project(fire_stats VERSION \([0-9.]*\).*/\1/p' "$lists")
[[ -n $version ]] || { echo "version: no version in $lists" >&2; exit 1; }
echo "$version"
