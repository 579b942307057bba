#!/usr/bin/env bash
# Makes the official release from what is committed: the Linux tar.gz and
# the Windows ZIP (the MinGW-w64 cross build), built in a fresh clone, one
# SHA256SUMS covering both, the record of what built them
# (fire_stats-VERSION.buildinfo) and the release's description
# (release-notes.md), all in build/dist/. Refuses when the project's
# version, the changelog's newest release and the tag (when given, as
# vX.Y.Z) disagree, when the tag is not the commit checked out, and on
# anything but Debian 12, whose toolchain anyone can install to rebuild the
# very same bytes: whoever builds, with whatever umask, folder, time zone,
# locale or environment.
#   tools/release.sh [TAG]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
umask 022 # the modes of the files that the archives take in

fail() {
  echo "release: $*" >&2
  exit 1
}

# shellcheck source=/dev/null
[[ $(. /etc/os-release && echo "$ID $VERSION_ID") == "debian 12" ]] ||
  fail "releases are built on Debian 12, so that anyone can rebuild the same bytes"
command -v fakeroot >/dev/null || fail "fakeroot is missing (apt-get install fakeroot)"

# Every git command's failure stops the release: a refusal that rests on a
# git command that failed would refuse nothing.
head=$(git rev-parse --verify HEAD) ||
  fail "git cannot read this checkout. If it said \"dubious ownership\", the folder belongs to" \
    "another user: git config --global --add safe.directory $root"
changes=$(git status --porcelain --untracked-files=no)
[[ -z $changes ]] || echo "release: uncommitted changes are left out"
if (($#)); then
  tagged=$(git rev-parse -q --verify "refs/tags/$1^{commit}") || fail "there is no tag $1"
  [[ $tagged == "$head" ]] || fail "$1 is not the commit checked out"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Quiet also where the checkout is a tag, as in the release job (detached).
git -c advice.detachedHead=false clone -q . "$scratch/fire_stats"
cd "$scratch/fire_stats"

version=$(tools/version.sh)
cmake -DCHANGELOG=CHANGELOG.md -DVERSION="$version" -P tests/release/check_changelog.cmake ||
  fail "the changelog's newest release must be $version, the project's version"
[[ $# -eq 0 || $1 == "v$version" ]] ||
  fail "the tag is $1, and the project's version is $version: the tag must be v$version"

# The same bytes whoever builds: Debian's own tools, nothing from the
# caller's environment (CXXFLAGS, SOURCE_DATE_EPOCH, a compiler in PATH),
# and the archives written as by root, since CPack records the owner of
# every file.
echo "release: building $version (${head::7})"
clean=(env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$scratch" LANG=C.UTF-8 TZ=UTC0)
{
  for preset in release windows; do
    "${clean[@]}" cmake --preset "$preset"
    "${clean[@]}" cmake --build --preset "$preset"
    "${clean[@]}" fakeroot cpack --preset "$preset"
  done
} >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log"; fail "the build failed"; }

cd "$root"
dist=build/dist
rm -rf "$dist"
mkdir -p "$dist"
# The archives as CPack named them; the fresh clone holds no others.
cp "$scratch"/fire_stats/build/release/*.tar.gz "$scratch"/fire_stats/build/windows/*.zip "$dist/"
(cd "$dist" && sha256sum -- *.tar.gz *.zip >SHA256SUMS && sha256sum -c --quiet SHA256SUMS)
tools/buildinfo.sh "$version" "$head" "$dist" >"$dist/fire_stats-$version.buildinfo"

# The description: what the person who came for the program takes, in
# Greek, then the changelog's section for this version.
notes=$(awk -v heading="## [$version]" 'index($0, heading) == 1 { on = 1; next }
                                        on && /^## \[/ { exit }
                                        on' CHANGELOG.md)
[[ -n ${notes//[[:space:]]/} ]] || fail "the changelog has nothing under ## [$version]"
zip=$(cd "$dist" && echo *.zip)
{
  echo "**Για Windows:** κατεβάστε το \`$zip\`, αποσυμπιέστε το και ανοίξτε το \`fire_stats.exe\`."
  echo
  echo "Το \`ODIGIES.txt\` μέσα στο ZIP εξηγεί τα υπόλοιπα, στα ελληνικά."
  echo "$notes"
} >"$dist/release-notes.md"
echo "release: $version in $dist/"
