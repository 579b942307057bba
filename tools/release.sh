#!/usr/bin/env bash
# Makes the official release from what is committed: the Linux tar.gz and
# the Windows ZIP (the MinGW-w64 cross build), built in a fresh clone, and
# one SHA256SUMS covering both, all in build/dist/. Refuses when the
# project's version, the changelog's newest release and the tag (when
# given, as vX.Y.Z) disagree, and on anything but Debian 12, whose
# toolchain anyone can install to rebuild the very same bytes.
#   tools/release.sh [TAG]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

fail() {
  echo "release: $*" >&2
  exit 1
}

# shellcheck source=/dev/null
[[ $(. /etc/os-release && echo "$ID $VERSION_ID") == "debian 12" ]] ||
  fail "releases are built on Debian 12, so that anyone can rebuild the same bytes"
if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
  echo "release: uncommitted changes are left out"
fi
if [[ $# -gt 0 ]]; then
  tagged=$(git rev-parse -q --verify "$1^{commit}") || true
  [[ -z $tagged || $tagged == $(git rev-parse HEAD) ]] || fail "$1 is not the commit checked out"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
git clone -q . "$scratch/fire_stats"
cd "$scratch/fire_stats"

version=$(sed -n 's/^project(fire_stats VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || fail "no version in CMakeLists.txt"
cmake -DCHANGELOG=CHANGELOG.md -DVERSION="$version" -P tests/release/check_changelog.cmake ||
  fail "the changelog's newest release must be $version, the project's version"
[[ $# -eq 0 || $1 == "v$version" ]] ||
  fail "the tag is $1, and the project's version is $version: the tag must be v$version"

echo "release: building $version ($(git rev-parse --short HEAD))"
{
  cmake --workflow --preset package
  cmake --workflow --preset windows
} >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log"; fail "the build failed"; }

cd "$root"
dist=build/dist
rm -rf "$dist"
mkdir -p "$dist"
# The archives as CPack named them; the fresh clone holds no others.
cp "$scratch"/fire_stats/build/release/*.tar.gz "$scratch"/fire_stats/build/windows/*.zip "$dist/"
(cd "$dist" && sha256sum -- *.tar.gz *.zip >SHA256SUMS && sha256sum -c SHA256SUMS)
echo "release: $version in $dist/"
